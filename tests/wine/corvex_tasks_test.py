#!/usr/bin/env python3
"""The configuration window and the task dialogs of Corvex end to end under
Wine, driven as a user drives them: mouse clicks and keys sent by xdotool to
the real controls. The window opens on the simulated machine with " *" on the
enclosure; selecting a detail line enables Task and Execute; a task made with
Add, typed and browsed paths and OK is saved to the enclosure's task file;
Execute copies its files. Each window is photographed in English and in
Traditional Chinese, in both button modes.

  corvex_tasks_test.py --program-dir BUILD/win64/Corvex --driver zelgui.exe
                       --zelsim BUILD/native/cli/zelsim --artifacts DIR
"""

import argparse
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from zelgui import GuiDriver, WineSession, parse_show, wait_until  # noqa: E402

ENCLOSURE_SIGNATURE = 0x5A454C01  # the disk identity of zelsim's first enclosure
APP_DESCRIPTION = "Brindle One Touch Backup Software"
EDIT_CAPTION = {None: "Edit Copy Task", "zh_TW.UTF-8": "\u7de8\u8f2f\u8907\u88fd\u5de5\u4f5c"}
DIALOG = {"class": "#32770"}
IDOK, IDCANCEL = 1, 2
TREE, TASK, EXECUTE, BACKUP, RESTORE = 1001, 1002, 1031, 1032, 1033
ROWS, SAVE, ADD, DELETE, MODIFY, ACTIVE_LIST = 1004, 1006, 1021, 1022, 1023, 1024
SOURCE_EDIT, DESTINATION_EDIT, DESTINATION_BROWSE, DIRECTION_GROUP = 1008, 1010, 1011, 1039
FOLDER_TREE = 1014
MENU = {"class": "#32768"}
MAIN_FRAME = {"class": "ZelFrame", "hidden": 1}


class Check:
    def __init__(self):
        self.failures = []

    def __call__(self, condition, what):
        print(("ok   " if condition else "FAIL ") + what, flush=True)
        if not condition:
            self.failures.append(what)


class User:
    """Mouse and keyboard on the session's display."""

    def __init__(self, session, driver):
        self.session, self.driver = session, driver

    def xdo(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.session.env, check=True, timeout=30)
        time.sleep(0.25)

    def click(self, window, control):
        left, top, right, bottom = self.driver.rect(window, id=control)
        self.xdo("mousemove", (left + right) // 2, (top + bottom) // 2)
        self.xdo("click", 1)

    def double_click(self, window, control, at_row=True):
        """On the list's first row, or on the empty space at its bottom."""
        left, top, right, bottom = self.driver.rect(window, id=control)
        y = top + 30 if at_row else bottom - 12  # under the header, or below every row
        self.xdo("mousemove", left + 40, y)
        self.xdo("click", "--repeat", 2, "--delay", 80, 1)

    def right_click(self, window, control, at_row=True):
        """On the list's first row, or on the empty space at its bottom."""
        left, top, right, bottom = self.driver.rect(window, id=control)
        self.xdo("mousemove", left + 40, top + 30 if at_row else bottom - 12)
        self.xdo("click", 3)

    def keys(self, *names):
        for name in names:
            self.xdo("key", name)

    def type(self, text):
        self.xdo("type", "--delay", 40, text)


def enabled(driver, window, control):
    return driver.request("state", handle=window, id=control)[0] == "enabled"


def text_of(driver, window, control):
    for line in driver.request("texts", handle=window)[1:]:
        cid, _, _, text = (line.split("\t") + [""])[:4]
        if int(cid) == control:
            return text
    return None


def visible(driver, window, control):
    for line in driver.request("texts", handle=window)[1:]:
        cid, _, shown = line.split("\t")[:3]
        if int(cid) == control:
            return shown == "visible"
    return False


def caption(driver, window):
    return driver.request("texts", handle=window)[0].split("\t", 1)[1]


def new_dialog(driver, known, timeout=10):
    """The first visible dialog that is not among `known`."""
    def look():
        for line in driver.request("windows"):
            handle, cls = line.split("\t")[:2]
            if cls == "#32770" and handle not in known:
                return handle
        return None
    return wait_until(look, timeout, step=0.2, what="a new dialog")


def gone(driver, handle, timeout):
    wait_until(lambda: all(not ln.startswith(handle + "\t") for ln in driver.request("windows")), timeout,
               step=0.2, what=f"window {handle} to close")


def dialogs(driver):
    return {line.split("\t")[0] for line in driver.request("windows") if line.split("\t")[1] == "#32770"}


def rows(driver, window):
    """The arrange dialog's rows: (source, destination, letters, selected)."""
    return [tuple(line.split("\t")[:3]) + (line.endswith("\tselected"),)
            for line in driver.request("rows", handle=window, id=ROWS)]


def check_menu(name, user, driver, arrange, at_row, states, shot=None):
    """Right-clicks the list and compares the menu's entries, in order, with
    the dialog's Add, Delete and Modify buttons and their states."""
    user.right_click(arrange, ROWS, at_row)
    items = [tuple(line.split("\t")) for line in driver.request("menu", timeout=5000)]
    if shot:
        user.session.screenshot(shot, driver.rect(driver.find(**MENU)))
    texts = [text_of(driver, arrange, button) for button in (ADD, DELETE, MODIFY)]
    check = [t for t, _ in items] == texts and [st for _, st in items] == states
    return check, items


def close_menu(user, driver):
    user.keys("Escape")
    driver.gone(timeout=5000, **MENU)


def edit_paths(user, driver, edit, source, destination):
    for control, text in ((SOURCE_EDIT, source), (DESTINATION_EDIT, destination)):
        user.click(edit, control)
        user.keys("ctrl+a", "BackSpace")
        user.type(text)


def device_change(driver, event, letter):
    driver.request("devicechange", event=event, letter=letter, **MAIN_FRAME)


def check_device_changes(name, user, driver, session, shots, zelsim, machine, overview, actions, check):
    """Units come and go while the window is open: the tree is filled again,
    the selected enclosure stays selected with its buttons, and the buttons
    go when it goes."""
    def disks():
        return [t for t in driver.request("items", handle=overview, id=TREE) if t.startswith("Disk")]

    def wait_disks(test, what):
        try:
            return wait_until(lambda: (lambda d: d if test(d) else None)(disks()), 20, step=0.3, what=what)
        except AssertionError:
            return disks()

    def buttons_enabled():
        return [enabled(driver, overview, b) for b in (TASK, *actions)]

    before = disks()
    zelsim("add-lun", str(machine), "--disk-mb", "16")
    letter = re.search(r"volume V\w* .*letter=(\w)", (machine / "machine.txt").read_text().splitlines()[-1])
    device_change(driver, "arrival", letter.group(1) if letter else "G")
    after = wait_disks(lambda d: len(d) == len(before) + 1, "the new unit in the tree")
    marked = lambda d: sum(t.endswith(" *") for t in d)  # noqa: E731
    check(len(after) == len(before) + 1 and marked(after) == marked(before) + 1,
          f"{name}: a unit plugged in appears in the tree ({after})")
    check(all(buttons_enabled()), f"{name}: the buttons stay enabled over the refill")
    selected = driver.request("selected", handle=overview, id=TREE)[0]
    check(selected.startswith("Disk01 - ") and selected.endswith(" *"),
          f"{name}: the selected enclosure's line is selected again ({selected!r})")
    session.screenshot(shots / "overview-plugged.png", driver.rect(overview))

    # Task opens the enclosure that was selected, not the new one.
    known = dialogs(driver)
    user.click(overview, TASK)
    arrange = new_dialog(driver, known)
    shown = [r[0] for r in rows(driver, arrange)]
    check("C:\\ZelSource" in shown, f"{name}: Task opens the task list of the same enclosure ({shown})")
    user.click(arrange, IDCANCEL)
    gone(driver, arrange, 5)

    zelsim("set", str(machine), "plugged", "0", "--disk", "2")
    device_change(driver, "removal", "G")
    after = wait_disks(lambda d: len(d) == len(before), "the unit to leave the tree")
    check(after == before and all(buttons_enabled()),
          f"{name}: another unit pulled out leaves the selection and its buttons ({after})")

    zelsim("set", str(machine), "plugged", "0", "--disk", "1")
    device_change(driver, "removal", "E")
    after = wait_disks(lambda d: not any(t.endswith(" *") for t in d), "the enclosure to leave the tree")
    check(len(after) == len(before) - 1 and not any(t.endswith(" *") for t in after),
          f"{name}: the selected enclosure pulled out leaves the tree ({after})")
    check(not any(buttons_enabled()), f"{name}: and its buttons are disabled")
    session.screenshot(shots / "overview-unplugged.png", driver.rect(overview))

    zelsim("set", str(machine), "plugged", "1", "--disk", "1")
    device_change(driver, "arrival", "E")
    after = wait_disks(lambda d: d == before, "the enclosure back in the tree")
    check(after == before and not any(buttons_enabled()),
          f"{name}: plugged in again it is back, its buttons wait for a selection ({after})")
    left, top, _, _ = driver.rect(overview, id=TREE)
    user.xdo("mousemove", left + 60, top + 10)  # on the first disk's line
    user.xdo("click", 1)
    user.keys("Home", "Down", "Down", "Down")
    selected = driver.request("selected", handle=overview, id=TREE)[0]
    check(all(buttons_enabled()), f"{name}: selecting it again enables the buttons ({selected!r})")


def run_pass(a, art, name, language, button_mode, check, full):
    """One program run; `full` makes and runs a task, otherwise the windows
    are only opened and photographed."""
    shots = art / name
    work = art / "work" / name
    machine, cwd, programs = work / "machine", work / "cwd", work / "Corvex"
    cwd.mkdir(parents=True)
    shutil.copytree(a.program_dir, programs)
    config = programs / "config.ini"
    config.write_text(config.read_text().replace("Button=1", f"Button={button_mode}"))
    zelsim = lambda *args: subprocess.run([a.zelsim, *args], check=True, capture_output=True, text=True).stdout
    zelsim("create", str(machine))
    (machine / "drives" / "E" / "Backup").mkdir(parents=True)
    (machine / "drives" / "E" / "Archive").mkdir(parents=True)

    session = WineSession(work / "wine-session")
    # The whole session runs in the language, as a user's Windows would: a
    # program alone in another language gets no fonts for its letters.
    if language:
        for key in ("LANG", "LC_ALL"):
            session.env[key] = language
    driver = None
    try:
        session.start()
        driver = GuiDriver(session, a.driver)
        user = User(session, driver)
        prefix = Path(session.env["WINEPREFIX"])
        source = prefix / "drive_c" / "ZelSource"
        (source / "Photos").mkdir(parents=True, exist_ok=True)
        (source / "notes.txt").write_bytes(b"n" * 1500)
        (source / "Photos" / "lake.jpg").write_bytes(bytes(range(256)) * 40)

        env = {"ZEL_MACHINE": str(machine), "ZEL_WINE_DRIVES": f"E={machine / 'drives' / 'E'}"}
        if language:
            env.update({"LANG": language, "LC_ALL": language})
        session.launch(programs / "Corvex-sim.exe", ["/a", "/f", "/c"], cwd=cwd, extra_env=env)
        overview = driver.find(title=APP_DESCRIPTION, timeout=60000, **DIALOG)
        time.sleep(1)
        items = driver.request("items", handle=overview, id=TREE)
        disks = [t for t in items if t.startswith("Disk")]
        check(any(t.startswith("Disk01 - ") and t.endswith(" *") for t in disks) and
              not any(t.startswith("Disk00") and t.endswith(" *") for t in disks),
              f"{name}: the enclosure alone carries \" *\" ({disks})")
        check(not enabled(driver, overview, TASK), f"{name}: Task starts disabled")
        check(visible(driver, overview, EXECUTE) == (button_mode == 1) and
              visible(driver, overview, BACKUP) == (button_mode == 2), f"{name}: buttons of mode {button_mode}")

        # The enclosure's first detail line, by keyboard in the tree.
        user.click(overview, TREE)
        user.keys("Home", "Down", "Down", "Down", "Right", "Down")
        check(enabled(driver, overview, TASK), f"{name}: a detail line of the enclosure enables Task")
        action = EXECUTE if button_mode == 1 else BACKUP
        check(enabled(driver, overview, action), f"{name}: and {'Execute' if button_mode == 1 else 'Backup'}")
        session.screenshot(shots / "overview.png", driver.rect(overview))

        known = dialogs(driver)
        user.click(overview, TASK)
        missing = new_dialog(driver, known)  # no task file yet: the load says so
        if not language:
            check(any(t.split("\t")[-1] == "Can not find the target file!"
                      for t in driver.request("texts", handle=missing)[1:]), f"{name}: the missing task file is told")
        user.keys("Return")
        gone(driver, missing, 5)
        arrange = new_dialog(driver, known)
        known.add(arrange)
        ok, items = check_menu(name, user, driver, arrange, True, ["enabled", "grayed", "grayed"],
                               shots / "menu-empty.png")
        check(ok, f"{name}: on an empty list the menu greys Delete and Modify ({items})")
        close_menu(user, driver)
        user.click(arrange, ADD)
        edit = new_dialog(driver, known)
        known.add(edit)
        check(caption(driver, edit) == EDIT_CAPTION[language],
              f"{name}: the edit dialog's caption is in the language ({caption(driver, edit)!r})")
        check(visible(driver, edit, DIRECTION_GROUP) == (button_mode == 1),
              f"{name}: the direction group shows only in mode 1")
        user.click(edit, SOURCE_EDIT)
        user.type("C:\\ZelSource")
        user.click(edit, DESTINATION_BROWSE)
        browse = new_dialog(driver, known)
        user.click(browse, FOLDER_TREE)
        user.keys("Home", "Right", "Down", "Down")  # E:, then its second folder (sorted: Archive, Backup)
        session.screenshot(shots / "browse.png", driver.rect(browse))
        user.click(browse, IDOK)
        gone(driver, browse, 5)
        check(text_of(driver, edit, DESTINATION_EDIT) == "E:\\Backup",
              f"{name}: browse puts the folder into the destination ({text_of(driver, edit, DESTINATION_EDIT)!r})")
        session.screenshot(shots / "edit.png", driver.rect(edit))
        user.click(edit, IDOK)
        gone(driver, edit, 5)
        known.discard(edit)
        check(caption(driver, arrange).endswith(" *"), f"{name}: the arrange caption shows \" *\"")
        session.screenshot(shots / "arrange.png", driver.rect(arrange))
        ok, items = check_menu(name, user, driver, arrange, True, ["enabled"] * 3, shots / "menu-row.png")
        check(ok and rows(driver, arrange)[0][3], f"{name}: on a selected row every entry is enabled ({items})")
        close_menu(user, driver)
        # Below the rows nothing is selected; the entries stay enabled, and
        # Modify then says that no row is selected.
        ok, items = check_menu(name, user, driver, arrange, False, ["enabled"] * 3)
        check(ok and not any(r[3] for r in rows(driver, arrange)),
              f"{name}: with rows but none selected every entry is enabled ({items})")
        user.keys("Up", "Return")
        warned = new_dialog(driver, known)
        if not language:
            check(any(t.split("\t")[-1] == "No item selected!" for t in driver.request("texts", handle=warned)[1:]),
                  f"{name}: Modify from the menu without a selected row warns")
        user.keys("Return")
        gone(driver, warned, 5)

        user.click(arrange, ACTIVE_LIST)
        active = new_dialog(driver, known)
        session.screenshot(shots / "active-list.png", driver.rect(active))
        user.click(active, IDCANCEL)
        gone(driver, active, 5)

        if full:
            user.click(arrange, ADD)
            second = new_dialog(driver, known)
            edit_paths(user, driver, second, "C:\\ZelSource\\Photos", "E:\\Archive")
            user.click(second, IDOK)
            gone(driver, second, 5)
        user.click(arrange, SAVE)
        saved = cwd / f"Disk{ENCLOSURE_SIGNATURE:X}.CT"
        told = new_dialog(driver, known)  # the saved-file notice
        check(driver.request("owner", handle=told)[0] == arrange, f"{name}: the saved notice belongs to the arrange dialog")
        user.keys("Return")
        gone(driver, told, 5)
        check(saved.exists(), f"{name}: Save writes {saved.name}")
        check(not caption(driver, arrange).endswith(" *"), f"{name}: the \" *\" goes after saving")
        if full:
            # Modify then Cancel: the row stays where and as it was, nothing
            # is marked changed, and the task is still in the list (a new
            # task with its paths conflicts with it).
            before = [r[:3] for r in rows(driver, arrange)]
            left, top, right, bottom = driver.rect(arrange, id=ROWS)
            user.xdo("mousemove", left + 40, top + 30)
            user.xdo("click", 1)
            user.click(arrange, MODIFY)
            opened = new_dialog(driver, known)
            shown = text_of(driver, opened, SOURCE_EDIT)
            edit_paths(user, driver, opened, "C:\\ZelSource\\Photos", "E:\\Backup")
            user.click(opened, IDCANCEL)
            gone(driver, opened, 5)
            after = [r[:3] for r in rows(driver, arrange)]
            check(shown == "C:\\ZelSource" and len(before) == 2 and after == before and
                  not caption(driver, arrange).endswith(" *"),
                  f"{name}: Modify then Cancel leaves the rows and the caption as they were ({after})")
            user.click(arrange, ADD)
            opened = new_dialog(driver, known)
            edit_paths(user, driver, opened, "C:\\ZelSource", "E:\\Backup")
            user.click(opened, IDOK)
            told = new_dialog(driver, known | {opened})
            check(any(t.split("\t")[-1] == "The tasks are conflicted!" for t in driver.request("texts", handle=told)[1:]),
                  f"{name}: after the cancelled edit the task still conflicts with a copy of it")
            user.keys("Return")
            gone(driver, told, 5)
            user.click(opened, IDCANCEL)
            gone(driver, opened, 5)
            # A double-click on a row edits it, on the empty space below adds.
            for at_row, expect in ((True, "C:\\ZelSource"), (False, "")):
                user.double_click(arrange, ROWS, at_row)
                opened = new_dialog(driver, known)
                shown = text_of(driver, opened, SOURCE_EDIT)
                check(shown == expect, f"{name}: a double-click {'on a row edits it' if at_row else 'below the rows adds'}"
                      f" ({shown!r})")
                user.click(opened, IDCANCEL)
                gone(driver, opened, 5)
        user.click(arrange, IDCANCEL)
        gone(driver, arrange, 5)
        data = saved.read_bytes() if saved.exists() else b""
        check("C:\\ZelSource".encode("utf-16-le") in data and "E:\\Backup".encode("utf-16-le") in data,
              f"{name}: the file holds the task's paths")

        def run_and_close(button, what):
            user.click(overview, button)
            summary = wait_until(lambda: driver.request("windows") and
                                 next((ln.split("\t")[0] for ln in driver.request("windows")
                                       if ln.endswith("\tInformation Message")), None),
                                 60, step=0.3, what=f"the summary of {what}")
            user.keys("Return")
            gone(driver, summary, 10)
            time.sleep(1)

        enclosure_folder = machine / "drives" / "E" / "Backup"
        if full and button_mode == 2:
            # Backup copies to the enclosure, Restore from it, by the same task.
            run_and_close(BACKUP, "Backup")
            check((enclosure_folder / "notes.txt").exists(), f"{name}: Backup copied the task's file to the enclosure")
            (enclosure_folder / "restored.txt").write_bytes(b"r" * 700)
            run_and_close(RESTORE, "Restore")
            check((source / "restored.txt").exists() and not (source / "restored.txt").is_dir(),
                  f"{name}: Restore copied the enclosure's file back to the source")
        if full and button_mode == 1:
            before = zelsim("show", str(machine))
            register_before, button_before = re.search(r"register 00\.0002", before), parse_show(before)
            run_and_close(EXECUTE, "Execute")
            check((enclosure_folder / "notes.txt").exists(), f"{name}: Execute copied the task's file to the enclosure")
            # The bridge saw the run: register 2 written (its busy bit 3 set for
            # the run and cleared after it) and the press acknowledged.
            state = zelsim("show", str(machine))
            register = re.search(r"register 00\.0002 = 0x([0-9A-Fa-f]{2})", state)
            check(register is not None and not int(register.group(1), 16) & 0x08 and register_before is None,
                  f"{name}: Execute wrote register 2 and cleared its busy bit ({register and register.group(0)})")
            # The latch keeps the button bits (0x06) high and stores the others
            # as written: 0xFF before, 0x06 once 0x02 was written.
            after = parse_show(state)
            check(button_before == 0xFF and after == 0x06,
                  f"{name}: Execute acknowledged the press (button byte {button_before:#x} -> {after:#x})")
        if full:
            check_device_changes(name, user, driver, session, shots, zelsim, machine, overview,
                                 (EXECUTE,) if button_mode == 1 else (BACKUP, RESTORE), check)
        user.click(overview, IDCANCEL)
        gone(driver, overview, 10)
    except Exception as e:  # noqa: BLE001 - every failure is reported with the screen
        check(False, f"{name}: {type(e).__name__}: {e}")
        try:
            session.screenshot(shots / "failure.png")
        except Exception:  # noqa: BLE001
            pass
    finally:
        if driver:
            driver.close()
        for program, output in session.stop():
            if check.failures and output.strip():
                print(f"output of {program}:\n{output}")
        shutil.rmtree(programs, ignore_errors=True)  # a copy of the build's programs


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program-dir", required=True)
    ap.add_argument("--driver", required=True)
    ap.add_argument("--zelsim", required=True)
    ap.add_argument("--artifacts", required=True)
    ap.add_argument("--only", help="run one pass by name")
    a = ap.parse_args()
    program = Path(a.program_dir) / "Corvex-sim.exe"
    a.driver = str(Path(a.driver).resolve())
    if not program.exists() or not Path(a.driver).exists() or not shutil.which("xdotool"):
        print(f"skipped: needs the x86_64 Windows build ({program}) and xdotool")
        return 77
    art = Path(a.artifacts).resolve()
    a.program_dir, a.zelsim = str(Path(a.program_dir).resolve()), str(Path(a.zelsim).resolve())
    shutil.rmtree(art, ignore_errors=True)
    check = Check()
    passes = [("english-mode1", None, 1, True), ("english-mode2", None, 2, True),
              ("chinese-mode1", "zh_TW.UTF-8", 1, False), ("chinese-mode2", "zh_TW.UTF-8", 2, False)]
    for name, language, mode, full in passes:
        if a.only and a.only != name:
            continue
        run_pass(a, art, name, language, mode, check, full)
    print(f"screenshots in {art}")
    print(f"{'passed' if not check.failures else 'FAILED'}: {len(check.failures)} failed checks")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
