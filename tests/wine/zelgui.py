"""End-to-end tests of the Windows programs under Wine: a Wine session of
their own (scripts/wine-run with its own state directory), programs started
in it, the zelgui.exe driver that finds their windows, reads their texts and
clicks their buttons, and screenshots of the session's display."""

import os
import re
import shutil
import subprocess
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WINE_RUN = ROOT / "scripts" / "wine-run"


class WineSession:
    def __init__(self, state_dir):
        self.state = Path(state_dir)
        self.env = dict(os.environ, ZEL_WINE_STATE=str(self.state))
        self.env.pop("DISPLAY", None)  # always a display of our own (Xvfb)
        self.programs = []

    def start(self, desktop="1024x768"):
        """Makes the session. With `desktop`, its programs run in a Wine desktop
        of that size, with window frames and a taskbar holding the tray icons,
        as a user sees them (the display itself has no window manager)."""
        subprocess.run([str(WINE_RUN), "start"], env=self.env, check=True, timeout=240)
        out = subprocess.run([str(WINE_RUN), "env"], env=self.env, check=True, capture_output=True,
                             text=True).stdout
        for line in out.splitlines():
            key, _, value = line.partition("=")
            self.env[key] = value
        self.display = self.env.get("DISPLAY", "")
        if desktop:
            for key, name, value in ((r"HKCU\Software\Wine\Explorer", "Desktop", "Default"),
                                     (r"HKCU\Software\Wine\Explorer\Desktops", "Default", desktop)):
                # A session just made can refuse the first change while its
                # server settles; it is asked again before the run gives up.
                for attempt in range(3):
                    done = subprocess.run([wine_binary(), "reg", "add", key, "/v", name, "/d", value, "/f"],
                                          env=self.wine_env(), stdin=subprocess.DEVNULL,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
                    if done.returncode == 0:
                        break
                    if attempt == 2:
                        done.check_returncode()
                    time.sleep(1)
            # The desktop the session made at its start goes with its server;
            # the next program makes the new one.
            server = shutil.which("wineserver") or "/usr/lib/wine/wineserver"
            for flag in ("-k", "-w", "-p"):
                subprocess.run([server, flag], env=self.wine_env(), stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def stop(self):
        """Ends the session and every program in it; their output, by program."""
        subprocess.run([str(WINE_RUN), "stop"], env=self.env, timeout=60)
        outputs = []
        for p in self.programs:
            try:
                out, _ = p.communicate(timeout=10)
            except subprocess.TimeoutExpired:
                p.kill()
                out, _ = p.communicate()
            outputs.append((" ".join(p.args[2:]), out or ""))
        return outputs

    def launch(self, exe, args=(), cwd=None, extra_env=None):
        """Starts a program in the session without waiting for it."""
        env = dict(self.env, **(extra_env or {}))
        p = subprocess.Popen([str(WINE_RUN), "run", str(exe), *args], env=env, cwd=cwd,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.programs.append(p)
        return p

    def wine_env(self):
        env = dict(self.env)
        env.setdefault("WINEDEBUG", "-all")
        env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        return env

    def screenshot(self, path, rect=None, pad=8):
        """The whole display, or the part of it around `rect` (left, top,
        right, bottom in screen pixels)."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        full = path.with_suffix(".full.png") if rect else path
        subprocess.run(["import", "-display", self.display, "-window", "root", str(full)], check=True,
                       timeout=30)
        if rect:
            left, top, right, bottom = rect
            left, top = max(0, left - pad), max(0, top - pad)
            geometry = f"{right - left + pad}x{bottom - top + pad}+{left}+{top}"
            subprocess.run(["convert", str(full), "-crop", geometry, "+repage", str(path)], check=True,
                           timeout=30)
            full.unlink()
        return path


class GuiError(AssertionError):
    pass


def wine_binary():
    return "/usr/lib/wine/wine64" if os.access("/usr/lib/wine/wine64", os.X_OK) else shutil.which("wine64")


class GuiDriver:
    """One zelgui.exe in the session, answering requests over a pipe."""

    def __init__(self, session, driver_exe):
        self.proc = subprocess.Popen([wine_binary(), str(driver_exe)], env=session.wine_env(), stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1)

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write("quit\n")
                self.proc.stdin.flush()
                self.proc.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()

    def request(self, command, **args):
        """Returns the data lines; raises GuiError on an error answer."""
        fields = [command] + [f"{k}={v}" for k, v in args.items()]
        self.proc.stdin.write("\t".join(fields) + "\n")
        self.proc.stdin.flush()
        status = self.proc.stdout.readline().rstrip("\n")
        if not status:
            raise GuiError(f"zelgui ended while answering {command}")
        data = []
        while True:
            line = self.proc.stdout.readline().rstrip("\n")
            if line == "." or line == "":
                break
            data.append(line[2:] if line.startswith("| ") else line)
        if status != "ok":
            raise GuiError(f"{command} {args}: {status}")
        return data

    def find(self, timeout=10000, **query):
        return self.request("find", timeout=timeout, **query)[0]

    def gone(self, timeout=10000, **query):
        self.request("find", timeout=timeout, gone=1, **query)

    def texts(self, handle):
        """(title, [(id, class, visible, text), ...])"""
        lines = self.request("texts", handle=handle)
        title = lines[0].split("\t", 1)[1]
        controls = []
        for line in lines[1:]:
            cid, cls, vis, text = (line.split("\t", 3) + [""])[:4]
            controls.append((int(cid), cls, vis == "visible", text.replace("\\n", "\n")))
        return title, controls

    def text_of(self, handle, control_id):
        for cid, _, _, text in self.texts(handle)[1]:
            if cid == control_id:
                return text
        raise GuiError(f"no control {control_id}")

    def click(self, handle, **which):
        self.request("click", handle=handle, **which)

    def rect(self, handle, **control):
        """The window's rectangle on the screen, or with id=N its control's."""
        return tuple(int(v) for v in self.request("rect", handle=handle, **control)[0].split())

    def send(self, handle, control_id, msg, wparam=0, lparam=0):
        """Sends a control of the window a message; the result."""
        return int(self.request("send", handle=handle, id=control_id, msg=msg, wparam=wparam,
                                lparam=lparam)[0])


def wait_until(predicate, timeout, step=0.1, what="condition"):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    raise AssertionError(f"timed out after {timeout} s waiting for {what}")


def parse_show(text):
    """The bridge's button byte and register 2 from `zelsim show`."""
    button = re.search(r"button 0x([0-9A-Fa-f]{2})", text)
    return int(button.group(1), 16) if button else None
