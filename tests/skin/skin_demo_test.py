#!/usr/bin/env python3
"""The skin demo under Wine + Xvfb, driven by real mouse and keyboard input
(xdotool): hover, press, move off and release, tab focus, check boxes and
radio buttons, then every message-box layout of both builds answered from
the keyboard. Screenshots of each state and layout go to --artifacts."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "wine"))
from zelgui import WineSession, wait_until  # noqa: E402

SKIP = 77

# Controls of the demo dialog in its client pixels (left, top, width, height).
PUSH = (20, 60, 84, 26)
ROUNDED = (116, 60, 100, 26)
CHECK_ONE = (30, 110, 140, 22)
RADIO_THREE = (220, 166, 140, 22)
BACKGROUND_SPOT = (470, 260)


class Demo:
    def __init__(self, session, work):
        self.session = session
        self.work = Path(work)

    def xdo(self, *args, check=True):
        out = subprocess.run(["xdotool", *map(str, args)], env=self.session.env, capture_output=True, text=True,
                             timeout=30)
        if check and out.returncode != 0:
            raise AssertionError(f"xdotool {' '.join(map(str, args))}: {out.stderr.strip()}")
        return out.stdout

    def windows_of_size(self, width, height):
        ids = self.xdo("search", "--onlyvisible", "--classname", "skin_demo", check=False).split()
        found = []
        for wid in ids:
            geo = dict(line.split("=", 1) for line in self.xdo("getwindowgeometry", "--shell", wid).split())
            if int(geo["WIDTH"]) == width and int(geo["HEIGHT"]) == height:
                found.append((wid, int(geo["X"]), int(geo["Y"])))
        return found[0] if found else None

    def wait_window(self, width, height, timeout=60):
        return wait_until(lambda: self.windows_of_size(width, height), timeout, step=0.3,
                          what=f"a {width}x{height} window of the demo")

    def log(self, name):
        path = self.work / name
        return path.read_text().split("\n") if path.exists() else []


# The display's backdrop while the tests run: a colour no picture uses, so
# that what a shaped window leaves out shows as this colour in screenshots.
BACKDROP = (255, 0, 255)
PAD = 4  # screenshots keep this many pixels around the window


def raw_rgb(path):
    """The pixels of an image file as (width, height, bytes of R, G, B)."""
    size = subprocess.run(["identify", "-format", "%w %h", str(path)], capture_output=True, text=True, check=True,
                          timeout=30).stdout.split()
    data = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], capture_output=True, check=True,
                          timeout=30).stdout
    return int(size[0]), int(size[1]), data


def keyed_mismatches(shot, picture):
    """Pixels where the screenshot shows the backdrop although the picture
    is not black there, or shows the window although the picture is black."""
    sw, _, sdata = raw_rgb(shot)
    pw, ph, pdata = raw_rgb(picture)
    wrong = 0
    for y in range(ph):
        for x in range(pw):
            i = 3 * (y * pw + x)
            black = pdata[i:i + 3] == b"\0\0\0"
            j = 3 * ((y + PAD) * sw + x + PAD)
            backdrop = tuple(sdata[j:j + 3]) == BACKDROP
            wrong += black != backdrop
    return wrong


def crop_bytes(path, box):
    """The raw pixels of `box` (left, top, width, height, in window pixels)."""
    left, top, w, h = box
    return subprocess.run(["convert", str(path), "-crop", f"{w}x{h}+{left + PAD}+{top + PAD}", "+repage",
                           "-depth", "8", "rgb:-"], capture_output=True, check=True, timeout=30).stdout


def centre(origin, box):
    x, y = origin
    left, top, w, h = box
    return x + left + w // 2, y + top + h // 2


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--demo", required=True)
    ap.add_argument("--artifacts", required=True)
    ap.add_argument("--tessary-files", help="the security tool's picture files (used when present)")
    ap.add_argument("--dormel-art", help="the power tool's resource pictures (<id>.bmp), to check the box outlines")
    args = ap.parse_args()
    args.demo = str(Path(args.demo).resolve())
    if not Path(args.demo).exists():
        print(f"skin_demo_test: {args.demo} is not built (build win64 first)")
        return SKIP
    if not shutil.which("xdotool") or not shutil.which("import"):
        print("skin_demo_test: xdotool and ImageMagick are needed")
        return SKIP
    artifacts = Path(args.artifacts)
    artifacts.mkdir(parents=True, exist_ok=True)
    for old in artifacts.glob("*.png"):
        old.unlink()
    failures = []

    def expect(cond, what):
        print(("ok    " if cond else "FAIL  ") + what, flush=True)
        if not cond:
            failures.append(what)

    with tempfile.TemporaryDirectory(prefix="skin-demo-") as tmp:
        session = WineSession(Path(tmp) / "wine")
        work = Path(tmp) / "work"
        work.mkdir()
        # The security tool's box pictures and button face, as shipped.
        if args.tessary_files and Path(args.tessary_files).is_dir():
            for name in ("MesgBox1.bmp", "MesgBox2.bmp", "ErrMark.bmp", "QuesMark.bmp", "InfoMark.bmp",
                         "WarnMark.bmp", "Btn2.bmp"):
                src = Path(args.tessary_files) / name
                if src.exists():
                    shutil.copy(src, work / name)
        demo = Demo(session, work)
        backdrop_window = None
        try:
            session.start(desktop=None)
            # A window of the backdrop colour over the whole display, under
            # every window the demo opens (Wine paints the root window itself).
            backdrop = Path(tmp) / "backdrop.png"
            subprocess.run(["convert", "-size", "1280x1024", "xc:rgb(%d,%d,%d)" % BACKDROP, str(backdrop)],
                           check=True, timeout=30)
            backdrop_window = subprocess.Popen(["display", "-geometry", "+0+0", str(backdrop)], env=session.env,
                                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(1.0)

            def shot(name, wid_x_y, size):
                _, x, y = wid_x_y
                return session.screenshot(artifacts / f"{name}.png", rect=(x, y, x + size[0], y + size[1]), pad=PAD)

            # The button dialog.
            log = "buttons.log"
            session.launch(args.demo, ["buttons", f"Z:{work / log}"], cwd=work)
            win = demo.wait_window(520, 300)
            origin = (win[1], win[2])
            size = (520, 300)
            time.sleep(1.0)
            demo.xdo("mousemove", 5, 5)  # away from every window
            time.sleep(0.5)
            buttons_normal = shot("buttons-normal", win, size)

            px, py = centre(origin, PUSH)
            demo.xdo("mousemove", px, py)
            time.sleep(0.8)
            push_hover = shot("push-hover", win, size)
            demo.xdo("mousedown", 1)
            time.sleep(0.5)
            push_pressed = shot("push-pressed", win, size)
            demo.xdo("mousemove", *centre(origin, (BACKGROUND_SPOT[0], BACKGROUND_SPOT[1], 0, 0)))
            time.sleep(0.5)
            push_moved_off = shot("push-moved-off", win, size)
            demo.xdo("mouseup", 1)
            time.sleep(0.8)
            looks = {n: crop_bytes(p, PUSH) for n, p in (("normal", buttons_normal), ("hover", push_hover),
                                                           ("pressed", push_pressed), ("moved off", push_moved_off))}
            for a, b in (("normal", "hover"), ("normal", "pressed"), ("hover", "pressed"), ("moved off", "pressed")):
                expect(looks[a] != looks[b], f"the push button looks different {a} and {b}")
            expect("click 2001" not in demo.log(log), "press, move off, release: no click")
            expect(demo.windows_of_size(520, 300) and demo.windows_of_size(520, 300)[1:] == win[1:],
                   "releasing off the button after the press did not move the dialog")

            demo.xdo("mousemove", px, py)
            time.sleep(0.5)
            demo.xdo("click", 1)
            wait_until(lambda: "click 2001" in demo.log(log), 10, what="the click of the push button")
            expect(True, "press and release on the button: one click")

            demo.xdo("mousemove", 5, 5)
            time.sleep(0.5)
            demo.xdo("windowfocus", win[0], check=False)
            time.sleep(0.3)
            demo.xdo("key", "Tab")
            time.sleep(0.6)
            focus_after_tab = shot("focus-after-tab", win, size)

            cx, cy = centre(origin, CHECK_ONE)
            demo.xdo("mousemove", cx, cy, "click", 1)
            rx, ry = centre(origin, RADIO_THREE)
            demo.xdo("mousemove", rx, ry, "click", 1)
            time.sleep(0.8)
            demo.xdo("mousemove", 5, 5)
            time.sleep(0.5)
            shot("checks-and-radios", win, size)
            entries = demo.log(log)
            expect("click 2011" in entries and "click 2023" in entries, "check box and radio button clicked")
            expect(crop_bytes(buttons_normal, ROUNDED) != crop_bytes(focus_after_tab, ROUNDED),
                   "Tab shows the focus on the next button")

            # Drag by the background: the window moves by the mouse movement.
            bx, by = origin[0] + BACKGROUND_SPOT[0], origin[1] + BACKGROUND_SPOT[1]
            demo.xdo("mousemove", bx, by, "mousedown", 1)
            time.sleep(0.3)
            demo.xdo("mousemove", bx - 40, by + 25)
            time.sleep(0.5)
            demo.xdo("mouseup", 1)
            time.sleep(0.5)
            moved = demo.windows_of_size(520, 300)
            expect(moved is not None and (moved[1] - origin[0], moved[2] - origin[1]) == (-40, 25),
                   f"drag by the background moves by (-40, 25): {moved and (moved[1] - origin[0], moved[2] - origin[1])}")
            demo.xdo("key", "Escape")
            wait_until(lambda: any(e.startswith("ended") for e in demo.log(log)), 15, what="the dialog's end")

            # Every message-box layout, answered from the keyboard.
            boxes = [
                ("dormel", 140, 146, (285, 121), ["Tab", "space"], 2),
                ("dormel", 140, 145, (285, 121), ["space"], 1042),
                ("dormel", 140, 147, (285, 121), ["Escape"], 2),
                ("dormel", 149, 146, (359, 119), ["Tab", "space"], 1039),
                ("dormel", 149, 145, (359, 119), ["space"], 1043),
                ("dormel", 149, 147, (359, 119), ["Escape"], 2),
                ("dormel", 149, 148, (359, 119), ["space"], 1043),
                ("dormel", 150, 145, (125, 118), ["Tab", "space"], 1037),
                ("dormel", 150, 146, (125, 118), ["space"], 1038),
                ("tessary", 1, 2, (285, 121), ["space"], 1052),
                ("tessary", 1, 1, (285, 121), ["space"], 1),
                ("tessary", 1, 3, (285, 121), ["space"], 1),
                ("tessary", 1, 4, (285, 121), ["Escape"], 2),
                ("tessary", 2, 1, (359, 119), ["space"], 1058),
                ("tessary", 2, 3, (359, 119), ["space"], 1058),
                ("tessary", 2, 2, (359, 119), ["Tab", "space"], 1055),
                ("tessary", 2, 4, (359, 119), ["space"], 1058),
            ]
            outlines_checked = set()
            for n, (build, bg, kind, bsize, keys, want) in enumerate(boxes):
                name = f"box-{n}.log"
                session.launch(args.demo, ["box", build, str(bg), str(kind), f"Z:{work / name}"], cwd=work)
                box = demo.wait_window(*bsize)
                time.sleep(0.8)
                box_shot = shot(f"box-{build}-{bg}-kind{kind}", box, bsize)
                if build == "dormel" and args.dormel_art:
                    picture = Path(args.dormel_art) / f"{bg}.bmp"
                else:
                    picture = work / ("MesgBox1.bmp" if bg == 1 else "MesgBox2.bmp")
                if picture.exists() and (build, bg) not in outlines_checked:
                    outlines_checked.add((build, bg))
                    wrong = keyed_mismatches(box_shot, picture)
                    expect(wrong == 0, f"{build} box {bg}: the window shows exactly the picture's non-black pixels "
                                       f"({wrong} wrong)")
                # The keyboard goes to the box: a click on its caption band
                # (a press and release without a move), then its X window.
                demo.xdo("mousemove", box[1] + bsize[0] - 12, box[2] + 8, "click", 1)
                demo.xdo("windowfocus", box[0], check=False)
                time.sleep(0.4)
                for k in keys:
                    demo.xdo("key", k)
                    time.sleep(0.3)
                try:
                    wait_until(lambda: any(e.startswith("result") for e in demo.log(name)), 15,
                               what=f"the result of the {build} box {bg}/{kind}")
                except AssertionError as e:
                    expect(False, str(e))
                    demo.xdo("key", "Escape", check=False)
                    continue
                got = [e for e in demo.log(name) if e.startswith("result")][0]
                expect(got == f"result {want}", f"{build} box {bg} kind {kind} with {'+'.join(keys)}: {got}")
        finally:
            if backdrop_window:
                backdrop_window.kill()
                backdrop_window.wait()
            for program, out in session.stop():
                if out.strip():
                    print(f"--- {program}\n{out}")
    print(f"screenshots in {artifacts}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
