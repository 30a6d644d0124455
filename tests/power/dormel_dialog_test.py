#!/usr/bin/env python3
"""Dormel-sim.exe under Wine + Xvfb on a simulated enclosure, driven by real
mouse and keyboard input (xdotool): the settings dialog opens at start with
"/c" and shows the bridge's settings; the off button and the standby list
are changed, Save is confirmed in the question box, and the bridge holds the
new values; reopened, the dialog shows them. A second program instance is
refused, a double click on the tray icon while the dialog is open opens no
second dialog. Then the dialog and its question box in Traditional Chinese.
Screenshots go to --artifacts."""

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
ID_SETTINGS, ID_APP_EXIT = 32771, 57665
WM_USER, WM_LBUTTONDBLCLK = 0x400, 0x203
SAVE, STANDBY_LIST, SPM_ON, SPM_OFF = 1, 1010, 1025, 1026
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


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program-dir", required=True)
    ap.add_argument("--driver", required=True)
    ap.add_argument("--zelsim", required=True)
    ap.add_argument("--artifacts", required=True)
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
    english = language_texts("Dormel.mlf")
    chinese = language_texts("Dormel_cht.lng")
    failures = []

    with tempfile.TemporaryDirectory(prefix="dormel-dialog-") as tmp:
        machine = Path(tmp) / "machine"
        zelsim(a.zelsim, "create", str(machine), "--disk-mb", "16")
        zelsim(a.zelsim, "set", str(machine), "timer", "0x0B40")
        env = {"ZEL_MACHINE": str(machine)}
        for lang, texts in (("en_US", english), ("zh_TW", chinese)):
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
                title = texts.get("MainCaption", "Power Management tool")
                session.launch(program, ["/c"], cwd=a.program_dir, extra_env=env)
                dialog = driver.find(title=title, timeout=60000)
                frame = driver.find(title=FRAME_TITLE, hidden=1, timeout=10000)
                time.sleep(1.5)
                if lang.startswith("zh"):
                    run.expect(driver.text_of(dialog, STANDBY_LIST) == texts["ApmList3"],
                               f"[{lang}] the dialog shows the saved entry in Chinese")
                    run.shot("dialog-zh_TW", dialog)
                    run.click_control(dialog, SAVE)
                    box = run.box_with(texts["MsgStr05"])
                    time.sleep(0.5)
                    run.shot("save-question-zh_TW", box)
                    run.answer_box(box, ["Tab", "space"])  # No
                    time.sleep(1)
                    run.expect(len(run.dialogs(title)) == 1, f"[{lang}] answering No leaves the dialog open")
                    driver.request("command", handle=frame, id=ID_APP_EXIT)
                    driver.gone(title=FRAME_TITLE, hidden=1, timeout=20000)
                    failures += run.failures
                    continue

                run.expect(driver.text_of(dialog, STANDBY_LIST) == "3 minutes later",
                           "at open the list shows the bridge's timer (0x0B40)")
                run.expect(driver.request("checked", handle=dialog, id=SPM_ON)[0] == "1" and
                           driver.request("checked", handle=dialog, id=SPM_OFF)[0] == "0",
                           "at open SPM shows on")
                run.shot("dialog-en", dialog)

                # A second program and a double click on the tray icon open nothing more.
                session.launch(program, [], cwd=a.program_dir, extra_env=env)
                box = run.box_with("The application is already running !")
                run.shot("already-running-en", box)
                run.answer_box(box, ["space"])
                driver.request("post", handle=frame, msg=WM_USER, lparam=WM_LBUTTONDBLCLK)
                time.sleep(1.5)
                run.expect(len(run.dialogs(title)) == 1, "double click while open: still one dialog")
                run.expect(len(driver.request("windows")) >= 1 and
                           driver.find(title=FRAME_TITLE, hidden=1, timeout=2000) == frame,
                           "the first program keeps running")

                # Off, "10 minutes later" from the keyboard, Save, Yes.
                run.click_control(dialog, SPM_OFF)
                run.click_control(dialog, STANDBY_LIST)
                for key in ("Down", "Down", "Return"):
                    run.xdo("key", key)
                    time.sleep(0.3)
                time.sleep(0.5)
                run.expect(driver.text_of(dialog, STANDBY_LIST) == "10 minutes later", "the list took the choice")
                run.shot("dialog-changed-en", dialog)
                before = state_of(machine)
                run.click_control(dialog, SAVE)
                box = run.box_with("Are you sure you want to saves this settings?")
                run.expect(state_of(machine) == before, "nothing is sent before the answer")
                run.shot("save-question-en", box)
                run.answer_box(box, ["space"])  # Yes
                driver.gone(title=title, timeout=20000)
                saved = state_of(machine)
                run.expect(saved.get("spm") == "0" and saved.get("timer", "").upper() == "0X23F0",
                           f"the bridge holds SPM off and 0x23F0: spm={saved.get('spm')} timer={saved.get('timer')}")

                # Reopened from the tray menu's first entry: the new values show.
                driver.request("command", handle=frame, id=ID_SETTINGS)
                dialog = driver.find(title=title, timeout=30000)
                time.sleep(1.5)
                run.expect(driver.text_of(dialog, STANDBY_LIST) == "10 minutes later", "reopened: 10 minutes later")
                run.expect(driver.request("checked", handle=dialog, id=SPM_OFF)[0] == "1", "reopened: SPM off")
                run.shot("dialog-reopened-en", dialog)
                run.click_control(dialog, 2)  # Exit
                driver.gone(title=title, timeout=20000)
                driver.request("command", handle=frame, id=ID_APP_EXIT)
                driver.gone(title=FRAME_TITLE, hidden=1, timeout=20000)
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
