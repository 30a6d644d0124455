#!/usr/bin/env python3
"""The security tool end to end under Wine, driven with the mouse and the
keyboard as a user drives it: Tessary-sim.exe on a simulated machine, opened
with "/c" among other switches. The disk goes from No Partition through
partitioning (both parts checked with fsck.fat), a password with a hint,
Locked, a wrong and a right unlock, to Erase (the hint goes with it); a
second instance is refused; a double click on the tray icon while the window
is open opens no second one. The run is made in English and in Traditional
Chinese; screenshots of every window and box are kept in the artifacts folder.

  tessary_test.py --program-dir BUILD/win64/Tessary --driver zelgui.exe
                  --zelsim BUILD/native/cli/zelsim --artifacts DIR
"""

import argparse
import shutil
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from zelgui import GuiDriver, GuiError, WineSession, wait_until  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
FRAME_TITLE = "USB Harddisk Security Tool"
WM_USER, WM_LBUTTONDBLCLK = 0x0400, 0x0203
TBM_GETPOS, PBM_GETPOS = 0x0400, 0x0408
ID_APP_EXIT = 0xE141
STATUS, DEVICE, PARTITION, LOCK, CHANGE, ERASE, CLOSE = 1002, 1041, 1014, 1033, 1004, 3, 1009
BOX_TEXTS, BOX_BUTTONS = (1050, 1051), {"yes": (1052, 1054), "no": (1053, 1055), "ok": (1, 1058)}


def language_texts(language):
    """Key -> text of the shipped language file (the UTF-8 source of the .lng)."""
    if language == "en":
        path, section = ROOT / "assets" / "tessary" / "Tessary.mlf", "[EnglishStrings]"
    else:
        path, section = ROOT / "assets" / "tessary" / "Tessary_cht.lng", "[Strings]"
    texts, inside = {}, False
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.strip()
        if line.startswith("["):
            inside = line == section
        elif inside and "=" in line and not line.startswith(";"):
            key, _, value = line.partition("=")
            texts[key.strip()] = value.strip()
    if language == "en":
        texts["MsgStr02"] += " Wnaspi32.dll!"
    return texts


class Check:
    def __init__(self):
        self.failures = []

    def __call__(self, condition, what):
        print(("ok   " if condition else "FAIL ") + what, flush=True)
        if not condition:
            self.failures.append(what)
        return condition


def hint_value(machine):
    """The stored hint in the simulated registry, or None when there is none."""
    for line in (machine / "registry.txt").read_text(encoding="utf-8", errors="replace").splitlines():
        fields = line.split("\t")
        if len(fields) >= 4 and fields[0].endswith("\\Icon Hints") and fields[1] == "PwPrompt":
            raw = bytes.fromhex(fields[3])
            return raw.decode("utf-16-le").rstrip("\0") if len(raw) % 2 == 0 else raw.decode("latin-1")
    return None


def fsck_parts(image, check, tag):
    """Each part begins with its own boot record; its one partition is checked."""
    data = image.read_bytes()
    first, found = 0, 0
    while first * 512 + 512 <= len(data) and found < 2:
        record = data[first * 512:first * 512 + 512]
        if record[510:512] != b"\x55\xaa":
            break
        start, count = struct.unpack_from("<II", record, 454)
        with tempfile.NamedTemporaryFile(suffix=".img") as part:
            part.write(data[(first + start) * 512:(first + start + count) * 512])
            part.flush()
            r = subprocess.run(["fsck.fat", "-n", part.name], capture_output=True, text=True)
            check(r.returncode == 0, f"{tag}: part at sector {first} passes fsck.fat -n ({count} sectors)")
        found += 1
        first += start + count
    check(found == 2, f"{tag}: two parts laid out ({found})")


class Run:
    """One language's run in its own Wine session."""

    def __init__(self, args, language, art, check):
        self.a, self.language, self.art, self.check = args, language, art, check
        self.t = language_texts(language)
        self.machine = art / "work" / "machine"
        self.program = Path(args.program_dir).resolve() / "Tessary-sim.exe"
        self.session = WineSession(art / "wine-session")
        if language == "cht":
            for key in ("LANG", "LC_ALL"):
                self.session.env[key] = "zh_TW.UTF-8"
        self.driver = None

    def zelsim(self, *args):
        return subprocess.run([self.a.zelsim, *args], check=True, capture_output=True, text=True).stdout

    def shot(self, name, handle):
        time.sleep(0.4)
        self.session.screenshot(self.art / f"{name}.png", self.driver.rect(handle))

    # Real input: the pointer moved onto a control and clicked, keys typed.
    def click(self, handle, control_id):
        left, top, right, bottom = self.driver.rect(handle, id=control_id)
        x, y = (left + right) // 2, (top + bottom) // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=self.session.env, timeout=10)
        time.sleep(0.3)

    def keys(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "30", *keys], env=self.session.env, timeout=60)
        time.sleep(0.2)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "40", text], env=self.session.env, timeout=30)
        time.sleep(0.2)

    def box(self, timeout=15):
        """The skinned message box that is up: (handle, its text)."""
        def find():
            for line in self.driver.request("windows"):
                handle, cls, title = (line.split("\t") + ["", ""])[:3]
                if cls != "#32770" or title:
                    continue
                shown = [t for cid, _, vis, t in self.driver.texts(handle)[1] if cid in BOX_TEXTS and vis]
                if shown:
                    return handle, shown[0]
            return None
        return wait_until(find, timeout, step=0.2, what="a message box")

    def answer(self, handle, which):
        for cid, _, visible, _ in self.driver.texts(handle)[1]:
            if cid in BOX_BUTTONS[which] and visible:
                self.click(handle, cid)
                return
        raise GuiError(f"the box has no visible {which} button")

    def expect_box(self, key, name, which="ok"):
        handle, text = self.box()
        self.check(text == self.t[key], f"{self.language}: {key} shown ({text!r})")
        self.shot(name, handle)
        self.answer(handle, which)
        wait_until(lambda: not self.box_up(handle), 10, what="the box to close")

    def box_up(self, handle):
        return any(line.startswith(handle + "\t") for line in self.driver.request("windows"))

    def status(self, window):
        return self.driver.text_of(window, STATUS)

    def expect_status(self, window, key, what):
        want = self.t[key] if key != "N/A" else "N/A"
        try:
            wait_until(lambda: self.status(window) == want, 10, what=f"status {want!r}")
        except AssertionError:
            pass
        got = self.status(window)
        self.check(got == want, f"{self.language}: {what}: status {want!r} ({got!r})")

    def no_box_after(self, window, control_id, what):
        self.click(window, control_id)
        time.sleep(1.0)
        dialogs = [l for l in self.driver.request("windows") if "\t#32770\t" in l]
        self.check(len(dialogs) == 1, f"{self.language}: {what} does nothing while greyed")

    def run(self):
        t, check, d = self.t, self.check, None
        self.zelsim("create", str(self.machine))
        self.session.start()
        self.driver = d = GuiDriver(self.session, self.a.driver)
        env = {"ZEL_MACHINE": str(self.machine)}
        cwd = self.program.parent
        first = self.session.launch(self.program, ["/a", "/f", "/c"], cwd=cwd, extra_env=env)
        frame = d.find(title=FRAME_TITLE, hidden=1, timeout=60000)
        main = d.find(title=t["MainCaption"], timeout=30000)
        check(True, f"{self.language}: \"/c\" among other switches opens the main window")
        self.expect_status(main, "NoPartition", "at start")
        check(d.text_of(main, DEVICE) != "", f"{self.language}: the device is named")
        self.shot("main-no-partition", main)
        self.no_box_after(main, ERASE, "Erase")
        self.no_box_after(main, LOCK, "Lock")

        # A double click on the tray icon while the window is open opens none.
        d.request("post", handle=frame, msg=WM_USER, wparam=128, lparam=WM_LBUTTONDBLCLK)
        time.sleep(1.5)
        mains = [l for l in d.request("windows") if l.endswith("\t" + t["MainCaption"])]
        check(len(mains) == 1, f"{self.language}: one main window after a tray double click ({len(mains)})")

        # Partition with the slider in the middle.
        self.click(main, PARTITION)
        dialog = d.find(title=t["PartitionCaption"], timeout=10000)
        top = d.send(dialog, 1018, 0x0402)  # TBM_GETRANGEMAX
        self.click(dialog, 1018)  # takes the focus (and pages towards the pointer)
        self.keys("Home")
        # Key by key until the thumb is there: a loaded machine may take its
        # time with a burst of keys.
        for _ in range(3):
            position = d.send(dialog, 1018, TBM_GETPOS)
            if position == top // 2:
                break
            step = "Right" if position < top // 2 else "Left"
            self.keys(*([step] * abs(top // 2 - position)))
            try:
                wait_until(lambda: d.send(dialog, 1018, TBM_GETPOS) == top // 2, 5, what="the slider")
            except AssertionError:
                pass
        position = d.send(dialog, 1018, TBM_GETPOS)
        check(position == top // 2, f"{self.language}: slider in the middle ({position} of {top})")
        private = d.text_of(dialog, 1030)
        check(private == f"{top // 2} Mbytes", f"{self.language}: private size follows the slider ({private!r})")
        self.shot("partition", dialog)
        self.click(dialog, 1)
        handle, text = self.box()
        check(text == t["MsgStr10"], f"{self.language}: Start asks first")
        self.shot("box-partition-question", handle)
        self.answer(handle, "yes")
        handle, text = self.box(timeout=120)
        check(text == t["MsgStr12"], f"{self.language}: formatting completed ({text!r})")
        check(d.send(dialog, 1032, PBM_GETPOS) == 100, f"{self.language}: the progress bar is full")
        self.shot("box-format-done", handle)
        self.answer(handle, "ok")
        d.gone(title=t["PartitionCaption"], timeout=10000)
        self.expect_status(main, "UnlockCaptionState", "after partitioning")
        self.shot("main-unlocked", main)
        fsck_parts(self.machine / "enc1.img", check, self.language)

        # A password with a hint; the old field is disabled (no password yet).
        self.click(main, CHANGE)
        dialog = d.find(title=t["ChangePwCaption"], timeout=10000)
        self.click(dialog, 1001)
        self.type("Secret1")
        self.click(dialog, 1002)
        self.type("Secret1")
        self.click(dialog, 1038)
        self.type("my\\hint\\x")
        self.shot("change-password", dialog)
        self.click(dialog, 1)
        self.expect_box("MsgStr05", "box-password-changed")
        d.gone(title=t["ChangePwCaption"], timeout=10000)
        check(hint_value(self.machine) == "my\\hint\\x", f"{self.language}: the hint is stored")

        # Lock, then a wrong and a right password.
        self.click(main, LOCK)
        self.expect_status(main, "LockCaptionState", "after Lock")
        check(d.text_of(main, LOCK) == t["UnlockState"], f"{self.language}: the button offers Unlock")
        self.shot("main-locked", main)
        self.click(main, LOCK)
        dialog = d.find(title=t["UnlockDlgCaption"], timeout=10000)
        check(d.text_of(dialog, 1040) == "my\\hint", f"{self.language}: the hint up to its last backslash")
        self.click(dialog, 1005)
        self.type("secret1")
        self.shot("unlock", dialog)
        self.keys("Return")
        self.expect_box("MsgStr09", "box-wrong-password")
        check(self.box_up(dialog), f"{self.language}: the unlock dialog stays after a wrong password")
        self.click(dialog, 1005)
        self.keys("End", *(["BackSpace"] * 12))
        self.type("Secret1")
        self.click(dialog, 1)
        d.gone(title=t["UnlockDlgCaption"], timeout=10000)
        self.expect_status(main, "UnlockCaptionState", "after the right password")

        # Erase: No changes nothing; Yes erases and the hint goes.
        self.click(main, ERASE)
        self.expect_box("MsgStr08", "box-erase-question", "no")
        self.expect_status(main, "UnlockCaptionState", "after Erase answered No")
        self.click(main, ERASE)
        self.expect_box("MsgStr08", "box-erase-question", "yes")
        self.expect_status(main, "NoPartition", "after Erase")
        check(hint_value(self.machine) is None, f"{self.language}: the hint value is gone")
        self.shot("main-after-erase", main)

        # A second instance is refused, the first keeps running.
        second = self.session.launch(self.program, [], cwd=cwd, extra_env=env)
        self.expect_box("MsgStr01", "box-already-running")
        second.wait(timeout=30)
        check(second.returncode != 0 and first.poll() is None,
              f"{self.language}: the second instance ended, the first runs on")

        self.click(main, CLOSE)
        d.gone(title=t["MainCaption"], timeout=10000)
        d.request("command", handle=frame, id=ID_APP_EXIT)
        first.wait(timeout=30)
        check(first.returncode == 0, f"{self.language}: Exit ends the program")

    def close(self):
        if self.driver:
            self.driver.close()
        outputs = self.session.stop()
        if self.check.failures:
            for program, output in outputs:
                if output.strip():
                    print(f"output of {program}:\n{output[-3000:]}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program-dir", required=True)
    ap.add_argument("--driver", required=True)
    ap.add_argument("--zelsim", required=True)
    ap.add_argument("--artifacts", required=True)
    ap.add_argument("--languages", default="en,cht")
    a = ap.parse_args()
    a.driver = str(Path(a.driver).resolve())
    if not (Path(a.program_dir) / "Tessary-sim.exe").exists() or not Path(a.driver).exists():
        print("skipped: build the x86_64 Windows build first")
        return 77
    if not shutil.which("xdotool") or not shutil.which("fsck.fat"):
        print("skipped: xdotool and fsck.fat are needed")
        return 77
    check = Check()
    root = Path(a.artifacts).resolve()
    shutil.rmtree(root, ignore_errors=True)
    for language in a.languages.split(","):
        art = root / language
        run = Run(a, language, art, check)
        try:
            run.run()
        except Exception as e:  # noqa: BLE001 - every failure is reported with the screen
            check(False, f"{language}: {type(e).__name__}: {e}")
            try:
                run.session.screenshot(art / "failure.png")
            except Exception:  # noqa: BLE001
                pass
        finally:
            run.close()
    print(f"screenshots in {root}")
    print(f"{'passed' if not check.failures else 'FAILED'}: {len(check.failures)} failed checks")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
