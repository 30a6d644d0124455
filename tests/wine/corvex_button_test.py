#!/usr/bin/env python3
"""One-touch backup end to end under Wine: Corvex-sim.exe on a simulated
machine whose enclosure has a task file, a press of the enclosure's button,
the progress dialog, the summary, the files on the enclosure's volume, the
acknowledged latch and the cleared busy bit; a second instance refused; the
tray menu and the about box. Screenshots are kept in the artifacts folder.

  corvex_button_test.py --program-dir BUILD/win64/Corvex --driver zelgui.exe
                        --zelsim BUILD/native/cli/zelsim --artifacts DIR
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from zelgui import GuiDriver, WineSession, parse_show, wait_until  # noqa: E402

FRAME_TITLE = "Zel-P Button Triggered USB Copy Utility"
ENCLOSURE_SIGNATURE = 0x5A454C01  # the disk identity of zelsim's first enclosure
WM_USER, WM_LBUTTONDBLCLK, WM_RBUTTONUP = 0x0400, 0x0203, 0x0205
ID_CONFIGURATION, ID_APP_ABOUT, ID_APP_EXIT = 32771, 0xE140, 0xE141
APP_DESCRIPTION = "Brindle One Touch Backup Software"  # also the tray tip's text
DIALOG = {"class": "#32770"}


def task_file(tasks):
    """A task file without disk records, so that no drive letter is remapped."""
    data = b"ZELP" + struct.pack("<I", 0) + struct.pack("<i", len(tasks))
    for source, destination, flags in tasks:
        data += (source + "\0").encode("utf-16-le") + (destination + "\0").encode("utf-16-le")
        data += struct.pack("<HH", flags, 0)
    return data


def tray_pictures(session, driver, frame, art):
    """The tray icon with its tip (the mouse resting on it) and its menu, in
    the taskbar of the session's desktop."""
    taskbar = driver.find(timeout=10000, **{"class": "Shell_TrayWnd"})
    left, top, right, bottom = driver.rect(taskbar)
    x, y = right - 12, (top + bottom) // 2  # the one icon, at the right end
    for dx in (0, 1):  # a second small move starts the hover timer
        subprocess.run(["xdotool", "mousemove", str(x - dx), str(y)], env=session.env, timeout=10)
        time.sleep(0.3)
    time.sleep(1.7)
    session.screenshot(art / "tray-tip.png", (right - 320, top - 60, right, bottom))
    driver.request("post", handle=frame, msg=WM_USER, wparam=130, lparam=WM_RBUTTONUP)
    time.sleep(1.0)
    session.screenshot(art / "tray-menu.png", (right - 320, top - 120, right, bottom))
    subprocess.run(["xdotool", "key", "Escape"], env=session.env, timeout=10)


class Check:
    def __init__(self):
        self.failures = []

    def __call__(self, condition, what):
        print(("ok   " if condition else "FAIL ") + what, flush=True)
        if not condition:
            self.failures.append(what)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program-dir", required=True)
    ap.add_argument("--driver", required=True)
    ap.add_argument("--zelsim", required=True)
    ap.add_argument("--artifacts", required=True)
    a = ap.parse_args()

    program = (Path(a.program_dir) / "Corvex-sim.exe").resolve()
    a.driver = str(Path(a.driver).resolve())
    if not program.exists() or not Path(a.driver).exists():
        print(f"skipped: build the x86_64 Windows build first ({program})")
        return 77
    art = Path(a.artifacts)
    shutil.rmtree(art, ignore_errors=True)
    work = art / "work"
    machine, source, cwd = work / "machine", work / "source", work / "cwd"
    for d in (source / "Data" / "Photos", cwd):
        d.mkdir(parents=True)
    (source / "Data" / "notes.txt").write_bytes(b"n" * 1500)
    (source / "Data" / "Photos" / "lake.jpg").write_bytes(bytes(range(256)) * 40)  # 10240 bytes
    (source / "Data" / "Photos" / "hill.jpg").write_bytes(b"h" * 30000)
    expected_bytes = 1500 + 10240 + 30000

    zelsim = lambda *args: subprocess.run([a.zelsim, *args], check=True, capture_output=True, text=True).stdout
    zelsim("create", str(machine))
    zelsim("set", str(machine), "reg.00.0002", "0x0C")  # the busy bit (3) and another one
    backup = machine / "drives" / "E" / "Backup"
    backup.mkdir(parents=True)
    # A: active, S: subdirectories, B: backup (flags 0x13).
    (cwd / f"Disk{ENCLOSURE_SIGNATURE:X}.CT").write_bytes(task_file([("H:\\Data", "E:\\Backup", 0x13)]))
    # A press from before the program started: start-up must drop it.
    zelsim("press", str(machine))

    check = Check()
    session = WineSession(art / "wine-session")
    driver = None
    try:
        session.start()
        driver = GuiDriver(session, a.driver)
        env = {"ZEL_MACHINE": str(machine),
               "ZEL_WINE_DRIVES": f"E={machine / 'drives' / 'E'};H={source}"}
        first = session.launch(program, ["/a", "/f"], cwd=cwd, extra_env=env)
        frame = driver.find(title=FRAME_TITLE, hidden=1, timeout=60000)
        check(True, "the hidden main frame exists")

        latch = wait_until(lambda: parse_show(zelsim("show", str(machine))) == 0xFF, 10, what="latch reset")
        check(latch, "start-up released the stale press (latch 0xFF)")
        time.sleep(2.5)  # more than one poll period
        check(not driver.request("windows") or all("Copy Task" not in w for w in driver.request("windows")),
              "the stale press started no copy run")

        tray_pictures(session, driver, frame, art)

        driver.request("command", handle=frame, id=ID_APP_ABOUT)
        about = driver.find(title="About Corvex", timeout=10000)
        title, controls = driver.texts(about)
        check(any("Version 1.20" in t for _, _, _, t in controls), "the about box names the version")
        session.screenshot(art / "about.png", driver.rect(about))
        driver.click(about, button="OK")
        driver.gone(title="About Corvex")

        # The press: the progress dialog, the files, the summary.
        zelsim("press", str(machine))
        progress = driver.find(contains="Copy Task", timeout=10000)
        session.screenshot(art / "progress.png", driver.rect(progress))
        _, controls = driver.texts(progress)
        labels = {cid: t for cid, _, _, t in controls}
        check(labels.get(1040, "").startswith("Source Directory"), "progress dialog source label")
        summary = driver.find(title="Information Message", timeout=20000)
        _, controls = driver.texts(summary)
        message = "\n".join(t for cid, cls, _, t in controls if cls == "Static" and t)
        session.screenshot(art / "summary.png", driver.rect(summary))
        check("The copy tasks are completed!" in message, f"summary says completed: {message!r}")
        check("Total Files: 3" in message, "summary counts 3 files")
        size_text = f"Total Size:{expected_bytes / 1024:4.1f}K Bytes"
        check(size_text in message, f"summary size {size_text!r}")
        copied = sorted(p.relative_to(backup).as_posix() for p in backup.rglob("*") if p.is_file())
        check(copied == ["Photos/hill.jpg", "Photos/lake.jpg", "notes.txt"], f"files on E: {copied}")
        check((backup / "Photos" / "lake.jpg").read_bytes() == bytes(range(256)) * 40, "file contents intact")
        # The configuration window is refused while the button's run is on.
        driver.request("post", handle=frame, msg=WM_USER, wparam=130, lparam=WM_LBUTTONDBLCLK)
        # Its caption key is the errors' one; the English language file leaves
        # that key to the program, whose default here is a warning's caption.
        warning = driver.find(title="Warning Message", timeout=10000)
        _, controls = driver.texts(warning)
        check(any(t == "Please wait for execution work to finish!" for _, _, _, t in controls),
              "configuration refused during the button's run")
        driver.click(warning, button="OK")
        driver.gone(title="Warning Message")
        driver.click(summary, button="OK")
        driver.gone(contains="Copy Task", timeout=10000)

        shown = wait_until(lambda: (lambda t: t if parse_show(t) == 0xFF else None)(zelsim("show", str(machine))),
                           10, what="acknowledgement")
        check(parse_show(shown) == 0xFF, "the press was acknowledged with bit 1 set")
        check("register 00.0002 = 0x04" in shown, "the busy bit of register 2 is clear, the other bit kept")

        # A second press while the worker waits on its own question: Cancel
        # in the progress dialog is answered Yes, the question No, and the run
        # ends as cancelled with nothing copied.
        task = cwd / f"Disk{ENCLOSURE_SIGNATURE:X}.CT"
        task.write_bytes(task_file([("H:\\Data", "E:\\Missing", 0x13)]))
        zelsim("press", str(machine))
        question = driver.find(title="Error Message", timeout=10000, **DIALOG)
        _, controls = driver.texts(question)
        check(any(t.startswith("Can not find target directory:") and "E:\\Missing" in t for *_, t in controls),
              "the worker asks about the missing target directory")
        progress = driver.find(contains="Copy Task", timeout=5000, **DIALOG)
        driver.click(progress, button="Cancel")
        confirm = driver.find(title="Prompt Message", timeout=10000, **DIALOG)
        _, controls = driver.texts(confirm)
        check(any(t == "Do you really want to cancel copy task?" for _, _, _, t in controls),
              "Cancel asks before it stops")
        session.screenshot(art / "cancel.png", driver.rect(progress))
        driver.click(confirm, button="Yes")
        driver.click(question, button="No")
        summary = driver.find(title="Information Message", timeout=20000, **DIALOG)
        _, controls = driver.texts(summary)
        message = "\n".join(t for cid, cls, _, t in controls if cls == "Static" and t)
        check("The copy tasks are cancelled!" in message and "Total Files: 0" in message,
              f"summary says cancelled: {message!r}")
        session.screenshot(art / "summary-cancelled.png", driver.rect(summary))
        driver.click(summary, button="OK")
        driver.gone(contains="Copy Task", timeout=10000, **DIALOG)
        check(not (machine / "drives" / "E" / "Missing").exists(), "the refused directory was not made")
        wait_until(lambda: parse_show(zelsim("show", str(machine))) == 0xFF, 10, what="second acknowledgement")

        # The configuration window lists the disks; a second request while it
        # is open is ignored.
        driver.request("command", handle=frame, id=ID_CONFIGURATION)
        config = driver.find(title=APP_DESCRIPTION, timeout=10000, **DIALOG)
        time.sleep(0.5)
        session.screenshot(art / "configuration.png", driver.rect(config))
        tree = [t for _, cls, _, t in driver.texts(config)[1] if cls == "SysTreeView32"]
        check(len(tree) == 1, "the configuration window shows the disk tree")
        driver.request("post", handle=frame, msg=WM_USER, wparam=130, lparam=WM_LBUTTONDBLCLK)
        time.sleep(2)
        windows = [w for w in driver.request("windows") if w.endswith("#32770\t" + APP_DESCRIPTION)]
        check(len(windows) == 1, f"one configuration window at a time ({len(windows)})")
        driver.click(config, button="Close")
        driver.gone(title=APP_DESCRIPTION, **DIALOG)

        # A second instance is refused; the first keeps running.
        second = session.launch(program, [], cwd=cwd, extra_env=env)
        box = driver.find(title="Error Message", timeout=30000)
        _, controls = driver.texts(box)
        check(any(t == "The application is already running." for _, _, _, t in controls),
              "second instance shows the already-running box")
        session.screenshot(art / "second-instance.png", driver.rect(box))
        driver.click(box, button="OK")
        second.wait(timeout=30)
        check(second.returncode != 0, "the second instance ended without running")
        driver.find(title=FRAME_TITLE, hidden=1, timeout=2000)
        check(first.poll() is None, "the first instance keeps running")

        driver.request("command", handle=frame, id=ID_APP_EXIT)
        driver.gone(title=FRAME_TITLE, hidden=1, timeout=10000)
        first.wait(timeout=30)
        check(first.returncode == 0, "Exit ends the program")
    except Exception as e:  # noqa: BLE001 - every failure is reported with the screen
        check(False, f"{type(e).__name__}: {e}")
        try:
            session.screenshot(art / "failure.png")
        except Exception:  # noqa: BLE001
            pass
    finally:
        if driver:
            driver.close()
        for program, output in session.stop():
            if check.failures and output.strip():
                print(f"output of {program}:\n{output}")

    print(f"screenshots in {art}")
    print(f"{'passed' if not check.failures else 'FAILED'}: {len(check.failures)} failed checks")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
