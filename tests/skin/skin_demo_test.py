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


def centre(origin, box):
    x, y = origin
    left, top, w, h = box
    return x + left + w // 2, y + top + h // 2


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--demo", required=True)
    ap.add_argument("--artifacts", required=True)
    ap.add_argument("--tessary-files", help="the security tool's picture files (used when present)")
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
        try:
            session.start(desktop=None)

            def shot(name, wid_x_y, size):
                _, x, y = wid_x_y
                session.screenshot(artifacts / f"{name}.png", rect=(x, y, x + size[0], y + size[1]), pad=4)

            # The button dialog.
            log = "buttons.log"
            session.launch(args.demo, ["buttons", f"Z:{work / log}"], cwd=work)
            win = demo.wait_window(520, 300)
            origin = (win[1], win[2])
            size = (520, 300)
            time.sleep(1.0)
            demo.xdo("mousemove", 5, 5)  # away from every window
            time.sleep(0.5)
            shot("buttons-normal", win, size)

            px, py = centre(origin, PUSH)
            demo.xdo("mousemove", px, py)
            time.sleep(0.8)
            shot("push-hover", win, size)
            demo.xdo("mousedown", 1)
            time.sleep(0.5)
            shot("push-pressed", win, size)
            demo.xdo("mousemove", *centre(origin, (BACKGROUND_SPOT[0], BACKGROUND_SPOT[1], 0, 0)))
            time.sleep(0.5)
            shot("push-moved-off", win, size)
            demo.xdo("mouseup", 1)
            time.sleep(0.8)
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
            shot("focus-after-tab", win, size)

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
                ("dormel", 150, 145, (125, 118), ["Tab", "space"], 1037),
                ("tessary", 1, 2, (285, 121), ["space"], 1052),
                ("tessary", 1, 1, (285, 121), ["space"], 1),
                ("tessary", 1, 3, (285, 121), ["space"], 1),
                ("tessary", 2, 2, (359, 119), ["Tab", "space"], 1055),
                ("tessary", 2, 4, (359, 119), ["space"], 1058),
            ]
            for n, (build, bg, kind, bsize, keys, want) in enumerate(boxes):
                name = f"box-{n}.log"
                session.launch(args.demo, ["box", build, str(bg), str(kind), f"Z:{work / name}"], cwd=work)
                box = demo.wait_window(*bsize)
                time.sleep(0.8)
                shot(f"box-{build}-{bg}-kind{kind}", box, bsize)
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
            for program, out in session.stop():
                if out.strip():
                    print(f"--- {program}\n{out}")
    print(f"screenshots in {artifacts}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
