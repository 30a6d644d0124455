#!/usr/bin/env python3
"""Dormel-sim.exe under Wine + Xvfb on a simulated enclosure, driven by real
mouse and keyboard input (xdotool), once in English and once in Traditional
Chinese: the settings dialog opens at start with "/c" and shows the bridge's
settings; a second program instance is refused and a double click on the tray
icon while the dialog is open opens no second dialog; the About box comes from
the system menu. Save with every power command failing, then with only the
timer command failing: each says so, the dialog stays open and the bridge
keeps what was not sent. Restore defaults (failing once), then Save: the
bridge holds the defaults. The dialog, closed, opens again from a double click
on the tray icon and shows the saved values. On a machine without an
enclosure the "no device" box comes first and the dialog still opens.
Screenshots of every state and box go to --artifacts."""

import argparse
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "wine"))
from zelgui import GuiDriver, WineSession, wait_until  # noqa: E402

SKIP = 77
FRAME_TITLE = "Power Management Tool"
SAVE, EXIT, DEFAULT, STANDBY_LIST, SPM_ON, SPM_OFF = 1, 2, 1013, 1010, 1025, 1026
ABOUT_TITLE = "About Dormel"
ROOT = Path(__file__).resolve().parents[2]


def language_texts(name):
    """key -> text of one of the shipped language files (UTF-8 sources)."""
    texts = {}
    for line in (ROOT / "assets" / "dormel" / name).read_text(encoding="utf-8").splitlines():
        key, sep, value = line.partition("=")
        if sep and not line.startswith(";"):
            texts.setdefault(key.strip(), value.strip().strip('"'))
    return texts


class Run:
    def __init__(self, session, driver, artifacts):
        self.session, self.driver, self.artifacts = session, driver, artifacts
        self.failures = []

    def expect(self, cond, what):
        print(("ok    " if cond else "FAIL  ") + what, flush=True)
        if not cond:
            self.failures.append(what)

    def xdo(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.session.env, check=True, timeout=30,
                       capture_output=True)

    def click_control(self, window, control):
        left, top, right, bottom = (int(v) for v in
                                    self.driver.request("rect", handle=window, id=control)[0].split())
        self.xdo("mousemove", (left + right) // 2, (top + bottom) // 2)
        time.sleep(0.3)
        self.xdo("click", 1)
        time.sleep(0.5)

    def shot(self, name, window):
        self.xdo("mousemove", 2, 2)
        time.sleep(0.6)
        self.session.screenshot(self.artifacts / f"{name}.png", rect=self.driver.rect(window), pad=6)

    def dialogs(self, title):
        return [w for w in self.driver.request("windows") if w.split("\t")[-1] == title]

    def box_with(self, text, timeout=20):
        """The top-level window that shows `text` in one of its controls."""
        def look():
            for line in self.driver.request("windows"):
                handle = line.split("\t")[0]
                try:
                    _, controls = self.driver.texts(handle)
                except AssertionError:
                    continue
                if any(t.strip() == text.strip() for _, _, visible, t in controls if visible):
                    return handle
            return None
        return wait_until(look, timeout, step=0.3, what=f"a box saying {text!r}")

    def answer_box(self, box, keys):
        """Gives the box the keyboard (a click on its caption band) and types."""
        left, top, right, _ = self.driver.rect(box)
        self.xdo("mousemove", right - 12, top + 8)
        self.xdo("click", 1)
        time.sleep(0.4)
        for k in keys:
            self.xdo("key", k)
            time.sleep(0.3)


def zelsim(exe, *args):
    return subprocess.run([exe, *args], check=True, capture_output=True, text=True, timeout=60).stdout


def state_of(machine):
    kv = {}
    for f in Path(machine).glob("*.state"):
        for line in f.read_text().splitlines():
            k, _, v = line.partition("=")
            kv[k] = v
    return kv


def power_of(machine):
    kv = state_of(machine)
    return kv.get("spm"), kv.get("timer", "").upper()


def machine_without_enclosure(zelsim_exe, directory):
    """A simulated machine whose enclosure (its USB device and disks with it)
    has been taken away: the system disk is all that is left."""
    zelsim(zelsim_exe, "create", str(directory), "--disk-mb", "16")
    description = next(f for f in Path(directory).iterdir() if f.is_file() and
                       any(line.startswith("enclosure ") for line in f.read_text(errors="replace").splitlines()))
    kept = [line for line in description.read_text().splitlines()
            if not line.startswith(("enclosure ", "usb ")) and " enclosure=" not in line]
    description.write_text("\n".join(kept) + "\n")


def tray_double_click(run):
    """A double click with the mouse on the program's icon, the one at the
    right end of the taskbar of the session's desktop."""
    taskbar = run.driver.find(timeout=10000, **{"class": "Shell_TrayWnd"})
    left, top, right, bottom = run.driver.rect(taskbar)
    run.xdo("mousemove", right - 12, (top + bottom) // 2)
    time.sleep(0.4)
    run.xdo("click", "--repeat", 2, "--delay", 120, 1)
    time.sleep(1.5)


def tray_exit(run, program_run):
    """Exit from the tray icon's menu (right click, then the entry's access
    key); the program ends."""
    taskbar = run.driver.find(timeout=10000, **{"class": "Shell_TrayWnd"})
    left, top, right, bottom = run.driver.rect(taskbar)
    run.xdo("mousemove", right - 12, (top + bottom) // 2)
    time.sleep(0.4)
    run.xdo("click", 3)
    menu = run.driver.find(timeout=10000, **{"class": "#32768"})
    left, top, right, bottom = run.driver.rect(menu)
    run.xdo("mousemove", left + 24, bottom - 10)  # its last entry
    time.sleep(0.4)
    run.xdo("click", 1)
    try:
        program_run.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise AssertionError("the program did not end after Exit in the tray menu")


def choose_entry(run, dialog, downs):
    run.click_control(dialog, STANDBY_LIST)
    for key in ["Down"] * downs + ["Return"]:
        run.xdo("key", key)
        time.sleep(0.3)
    time.sleep(0.5)


def exercise(run, a, program, texts, suffix, machine, bare):
    """One language's pass; the session's language is already set."""
    def text(key, default):
        return texts.get(key, default)

    driver = run.driver
    title = text("MainCaption", "Power Management tool")
    env = {"ZEL_MACHINE": str(machine)}
    entry = [text(f"ApmList{i}", "") for i in range(10)]
    zelsim(a.zelsim, "set", str(machine), "spm", "1")
    zelsim(a.zelsim, "set", str(machine), "timer", "0x0B40")
    zelsim(a.zelsim, "set", str(machine), "default-spm", "1")
    zelsim(a.zelsim, "set", str(machine), "default-timer", "0x1200")

    first = run.session.launch(program, ["/c"], cwd=a.program_dir, extra_env=env)
    dialog = driver.find(title=title, timeout=60000)
    driver.find(title=FRAME_TITLE, hidden=1, timeout=10000)
    time.sleep(1.5)
    run.expect(driver.text_of(dialog, STANDBY_LIST) == entry[1],
               f"[{suffix}] at open the list shows the bridge's timer (0x0B40)")
    run.expect(driver.request("checked", handle=dialog, id=SPM_ON)[0] == "1" and
               driver.request("checked", handle=dialog, id=SPM_OFF)[0] == "0", f"[{suffix}] at open SPM shows on")
    run.shot(f"dialog-{suffix}", dialog)

    # A second program and a double click on the tray icon open nothing more.
    run.session.launch(program, [], cwd=a.program_dir, extra_env=env)
    box = run.box_with(text("MsgStr01", "The application is already running !"))
    run.shot(f"already-running-{suffix}", box)
    run.answer_box(box, ["space"])
    tray_double_click(run)
    run.expect(len(run.dialogs(title)) == 1, f"[{suffix}] double click on the tray icon while open: one dialog")
    run.expect(first.poll() is None, f"[{suffix}] the first program keeps running")

    # About, from the system menu (Alt+Space, its last entry).
    run.click_control(dialog, SPM_ON)
    for key in ("alt+space", "Up", "Return"):
        run.xdo("key", key)
        time.sleep(0.4)
    about = driver.find(title=ABOUT_TITLE, timeout=10000)
    time.sleep(0.5)
    run.shot(f"about-{suffix}", about)
    run.click_control(about, 1)  # OK
    driver.gone(title=ABOUT_TITLE, timeout=10000)

    # Off and "10 minutes later"; Save with every power command failing.
    run.click_control(dialog, SPM_OFF)
    choose_entry(run, dialog, 2)
    run.expect(driver.text_of(dialog, STANDBY_LIST) == entry[3], f"[{suffix}] the list took the choice")
    run.shot(f"dialog-changed-{suffix}", dialog)
    before = power_of(machine)
    zelsim(a.zelsim, "fault", str(machine), "command-fails", "EB")
    run.click_control(dialog, SAVE)
    box = run.box_with(text("MsgStr05", "Are you sure you want to saves this settings?"))
    run.expect(power_of(machine) == before, f"[{suffix}] nothing is sent before the answer")
    run.shot(f"save-question-{suffix}", box)
    run.answer_box(box, ["space"])  # Yes
    box = run.box_with(text("MsgStr09", "Set System Power Management Fail !"))
    run.shot(f"save-spm-failed-{suffix}", box)
    run.answer_box(box, ["space"])
    time.sleep(1)
    run.expect(len(run.dialogs(title)) == 1 and power_of(machine) == before,
               f"[{suffix}] failed SPM command: the dialog stays open, the bridge unchanged {power_of(machine)}")

    # Only the timer command failing: SPM is changed, the timer is not.
    zelsim(a.zelsim, "fault", str(machine), "command-fails", "EB04")
    run.click_control(dialog, SAVE)
    run.answer_box(run.box_with(text("MsgStr05", "Are you sure you want to saves this settings?")), ["space"])
    box = run.box_with(text("MsgStr08", "Set Aggressive Power Management Fail !"))
    run.shot(f"save-timer-failed-{suffix}", box)
    run.answer_box(box, ["space"])
    time.sleep(1)
    run.expect(len(run.dialogs(title)) == 1 and power_of(machine) == ("0", before[1]),
               f"[{suffix}] failed timer command: SPM off, the timer kept {power_of(machine)}")

    # Restore defaults: once failing, then for real; then Save.
    zelsim(a.zelsim, "fault", str(machine), "command-fails", "EB")
    run.click_control(dialog, DEFAULT)
    box = run.box_with(text("MsgStr04", "Are you sure you want to restores this default settings?"))
    run.shot(f"restore-question-{suffix}", box)
    run.answer_box(box, ["space"])
    box = run.box_with(text("MsgStr10", "Restore default setting fail !"))
    run.shot(f"restore-failed-{suffix}", box)
    run.answer_box(box, ["space"])
    time.sleep(1)
    run.expect(driver.text_of(dialog, STANDBY_LIST) == entry[3], f"[{suffix}] a failed restore keeps the choice")
    zelsim(a.zelsim, "fault", str(machine), "command-fails", "0")
    run.click_control(dialog, DEFAULT)
    run.answer_box(run.box_with(text("MsgStr04", "Are you sure you want to restores this default settings?")),
                   ["space"])
    time.sleep(1)
    run.expect(driver.text_of(dialog, STANDBY_LIST) == entry[2] and
               driver.request("checked", handle=dialog, id=SPM_ON)[0] == "1",
               f"[{suffix}] restored: SPM on and the default timer (0x1200)")
    run.shot(f"dialog-defaults-{suffix}", dialog)
    run.click_control(dialog, SAVE)
    run.answer_box(run.box_with(text("MsgStr05", "Are you sure you want to saves this settings?")), ["space"])
    driver.gone(title=title, timeout=20000)
    run.expect(power_of(machine) == ("1", "0X1200"), f"[{suffix}] the bridge holds the defaults {power_of(machine)}")

    # Closed, it opens again from a double click on the tray icon.
    zelsim(a.zelsim, "set", str(machine), "spm", "0")
    zelsim(a.zelsim, "set", str(machine), "timer", "0x23F0")
    tray_double_click(run)
    dialog = driver.find(title=title, timeout=30000)
    time.sleep(1.5)
    run.expect(driver.text_of(dialog, STANDBY_LIST) == entry[3] and
               driver.request("checked", handle=dialog, id=SPM_OFF)[0] == "1",
               f"[{suffix}] reopened from the tray: the bridge's values show")
    run.shot(f"dialog-reopened-{suffix}", dialog)
    run.click_control(dialog, EXIT)
    driver.gone(title=title, timeout=20000)
    tray_exit(run, first)
    run.expect(first.returncode == 0, f"[{suffix}] Exit from the tray menu ends the program")

    # No enclosure: the error box, then the dialog all the same.
    bare_run = run.session.launch(program, ["/c"], cwd=a.program_dir, extra_env={"ZEL_MACHINE": str(bare)})
    box = run.box_with(text("MsgStr06", "No any device !!"), timeout=60)
    run.shot(f"no-device-{suffix}", box)
    run.answer_box(box, ["space"])
    dialog = driver.find(title=title, timeout=20000)
    time.sleep(1)
    run.shot(f"dialog-no-device-{suffix}", dialog)
    run.click_control(dialog, EXIT)
    driver.gone(title=title, timeout=20000)
    tray_exit(run, bare_run)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program-dir", required=True)
    ap.add_argument("--driver", required=True)
    ap.add_argument("--zelsim", required=True)
    ap.add_argument("--artifacts", required=True)
    ap.add_argument("--only", choices=("en_US", "zh_TW"), help="one language pass only")
    a = ap.parse_args()
    a.program_dir = str(Path(a.program_dir).resolve())
    program = Path(a.program_dir) / "Dormel-sim.exe"
    for need in (program, Path(a.driver)):
        if not need.exists():
            print(f"dormel_dialog_test: {need} is not built (build win64 first)")
            return SKIP
    if not shutil.which("xdotool") or not shutil.which("import"):
        print("dormel_dialog_test: xdotool and ImageMagick are needed")
        return SKIP
    artifacts = Path(a.artifacts)
    artifacts.mkdir(parents=True, exist_ok=True)
    for old in artifacts.glob("*.png"):
        old.unlink()
    languages = (("en_US", "en", language_texts("Dormel.mlf")), ("zh_TW", "zh_TW", language_texts("Dormel_cht.lng")))
    failures = []

    with tempfile.TemporaryDirectory(prefix="dormel-dialog-") as tmp:
        machine = Path(tmp) / "machine"
        zelsim(a.zelsim, "create", str(machine), "--disk-mb", "16")
        bare = Path(tmp) / "bare"
        machine_without_enclosure(a.zelsim, bare)
        for lang, suffix, texts in languages:
            if a.only and a.only != lang:
                continue
            session = WineSession(Path(tmp) / f"wine-{lang}")
            # Wine takes the language from LANG (the host needs no such locale).
            # The host's C library must know the locale: one made for the test
            # (localedef into LOCPATH) when the system has none.
            session.env.pop("LC_ALL", None)
            session.env.pop("LC_MESSAGES", None)
            session.env["LANG"] = lang + ".UTF-8"
            if lang != "en_US":
                locales = Path(tmp) / "locales"
                locales.mkdir(exist_ok=True)
                made = subprocess.run(["localedef", "-i", lang, "-f", "UTF-8", str(locales / f"{lang}.UTF-8")],
                                      capture_output=True, text=True)
                if not (locales / f"{lang}.UTF-8").exists():
                    print(f"FAIL  cannot make the {lang} locale: {made.stderr.strip()}")
                    failures.append(f"locale {lang}")
                    continue
                session.env["LOCPATH"] = str(locales)
            driver = None
            try:
                session.start()
                driver = GuiDriver(session, a.driver)
                run = Run(session, driver, artifacts)
                exercise(run, a, program, texts, suffix, machine, bare)
                failures += run.failures
            except AssertionError as e:
                print(f"FAIL  [{lang}] {e}", flush=True)
                failures.append(str(e))
                if driver:
                    try:
                        session.screenshot(artifacts / f"failure-{lang}.png")
                    except Exception:  # noqa: BLE001
                        pass
            finally:
                if driver:
                    driver.close()
                for prog, out in session.stop():
                    if out.strip():
                        print(f"--- {prog}\n{out}")
    print(f"screenshots in {artifacts}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
