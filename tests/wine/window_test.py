#!/usr/bin/env python3
"""Ravlin's window under Wine and Xvfb, as a Windows user starts it: the
setup program installs it into a fresh prefix of the default machine, and
ravlin64.exe starts with the current folder C:\\windows\\system32 and no
RAVLIN_BROWSER.

    python3 tests/wine/window_test.py [--dist dist] [--artifacts artifacts/wine-window]

With the browser control (Wine's ieframe; its HTML engine is off here, so
the control fetches pages but renders and runs nothing):
  - a visible, maximised top-level window "Modem Diagnostic Tool" appears
    within 30 s, with the control's child windows in it;
  - the control's request reaches the page server with the token (the trace
    says so);
  - a second start while the first runs ends by itself, writes no trace of
    its own and brings the first window (minimised before) to the front;
  - Alt+F4 ends the program within 15 s; the trace ends "Close TapiLine",
    "TapiLine closed".
Without the control (ieframe and shdocvw disabled), the window shows the address line,
and the trace says why; WM_CLOSE ends the program.
Screenshots of the screen go to the artifacts folder. Exit code 0 when every
check passed, 77 when dist/ holds no ravlin64.exe or setup program."""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
WINESERVER = os.environ.get("WINESERVER", os.path.join(os.path.dirname(WINE), "wineserver"))
PROGRAM = r"C:\Program Files\Tarn\Ravlin\ravlin64.exe"
CAPTION = "Modem Diagnostic Tool"

failures = []


def check(what, ok, detail=""):
    print(("  ok   " if ok else "  FAIL ") + what + ("" if ok or not detail else f": {detail}"))
    if not ok:
        failures.append(what)
    return ok


def free_display():
    for number in range(91, 140):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}") and not os.path.exists(f"/tmp/.X{number}-lock"):
            return f":{number}"
    raise RuntimeError("no free X display")


class Session:
    """A prefix with Ravlin installed, on an Xvfb screen."""

    def __init__(self, scratch, dist, display):
        self.scratch = scratch
        self.prefix = os.path.join(scratch, "prefix")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG=os.environ.get("WINEDEBUG", "-all"),
                        WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=display)
        self.env.pop("RAVLIN_BROWSER", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.dist = dist
        self.display = display
        self.helper = os.path.join(scratch, "windows.exe")

    def run(self, *command, **options):
        return subprocess.run(list(command), env=options.pop("env", self.env), **options)

    def make(self):
        self.run("bash", os.path.join(ROOT, "tools", "wine", "make-prefix.sh"), self.prefix, "default",
                 check=True, capture_output=True)
        # The 64-bit installer itself: the 32-bit setup that carries it cannot
        # run on the 64-bit-only Wine here.
        setup = sorted(glob.glob(os.path.join(self.dist, "Ravlin-*-setup64.exe")))[-1]
        self.run(WINE, setup, "/S", check=True, capture_output=True)
        self.run(WINESERVER, "-w")
        self.run("x86_64-w64-mingw32-gcc", "-O2", "-Wall", "-Wextra", "-o", self.helper,
                 os.path.join(ROOT, "tests", "wine", "windows.c"), check=True)
        # A browser that Wine's http handler would start instead of opening
        # one on the test's screen: "true" starts, shows nothing and ends.
        self.run(WINE, "reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers", "/d", "true", "/f",
                 capture_output=True)
        # There is no window manager on the test's screen: Wine draws the
        # frames and maximises the windows itself.
        self.run(WINE, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f",
                 capture_output=True)

    def stop(self):
        self.run("bash", os.path.join(ROOT, "tools", "wine", "make-prefix.sh"), "--stop", self.prefix)

    @property
    def system32(self):
        return os.path.join(self.prefix, "drive_c", "windows", "system32")

    @property
    def trace_path(self):
        return os.path.join(self.system32, "Ravlin_Trace.trc")

    def trace(self):
        try:
            with open(self.trace_path, encoding="latin-1") as f:
                return f.read().splitlines()
        except OSError:
            return []

    def start(self, env=None):
        return subprocess.Popen([WINE, PROGRAM], cwd=self.system32, env=env or self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def windows(self, action="show"):
        out = self.run(WINE, self.helper, action, capture_output=True, text=True).stdout
        return [line.strip() for line in out.splitlines() if line.strip()]

    def visible_window(self):
        """The X window of the visible dialog, or None."""
        out = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{CAPTION}$",
                       capture_output=True, text=True).stdout.split()
        return out[0] if out else None

    def screenshot(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        self.run("import", "-display", self.display, "-window", "root", path, capture_output=True)
        print(f"  screenshot {path}")


def wait_for(condition, timeout, step=0.25):
    end = time.time() + timeout
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(step)
    return condition()


def ended_within(process, seconds):
    try:
        process.wait(timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


def trace_ends_closed(lines):
    texts = [line.rstrip() for line in lines]
    return len(texts) >= 2 and texts[-2].endswith(": Close TapiLine") and texts[-1].endswith(": TapiLine closed")


def with_control(session, artifacts):
    print("-- with the browser control")
    started = time.time()
    first = session.start()
    window = wait_for(session.visible_window, 30)
    shown_after = time.time() - started
    if not check("a visible window \"Modem Diagnostic Tool\" within 30 s", window is not None):
        return first
    print(f"  window visible after {shown_after:.1f} s")
    lines = wait_for(lambda: [l for l in session.windows() if l.startswith(("window", "child"))], 10)
    for line in lines:
        print("  " + line)
    top = [l for l in lines if l.startswith("window")]
    check("one top-level window of the dialog class, visible and maximised",
          len(top) == 1 and "#32770" in top[0] and "visible=1" in top[0] and "zoomed=1" in top[0], top)
    children = [re.match(r"child (\d+) (.+?) visible=(\d) size=(\d+)x(\d+)", l) for l in lines]
    children = [c.groups() for c in children if c]
    embedding = [c for c in children if c[0] == "1" and c[1] == "Shell Embedding"]
    window_width = int(re.search(r"size=(\d+)x", top[0]).group(1)) if top else 0
    check("the browser control's window in it (Shell Embedding), filling its width",
          bool(embedding) and window_width - int(embedding[0][3]) <= 16, children)
    print("  the control's window classes: " + ", ".join(f"{c[1]} (depth {c[0]})" for c in children))
    reached = wait_for(lambda: any("page server has been reached" in l for l in session.trace()), 30)
    check("the control's request reached the page server with the token", reached)
    check("the trace says the pages are in the window's control",
          any("Pages shown in the window's browser control" in l for l in session.trace()))
    session.screenshot(os.path.join(artifacts, "window-control.png"))

    # A second start: the first window, minimised now, comes back to the
    # front; the second process ends without a trace of its own.
    session.windows("minimize")
    check("the first window is minimised before the second start",
          wait_for(lambda: any("iconic=1" in l for l in session.windows()), 5))
    starts_before = sum("Modem Diagnostic Tool Starts" in l for l in session.trace())
    second_started = time.time()
    second = session.start()
    check("the second start ends by itself", ended_within(second, 20))
    print(f"  second start ended after {time.time() - second_started:.1f} s")
    top = wait_for(lambda: [l for l in session.windows() if l.startswith("window") and "iconic=0" in l], 5)
    for line in session.windows():
        if line.startswith("window"):
            print("  " + line)
    check("one window still, restored", len(top or []) == 1, top)
    check("the first window is in front", bool(top) and "foreground=1" in top[0], top)
    check("the first program still runs", first.poll() is None)
    starts = sum("Modem Diagnostic Tool Starts" in l for l in session.trace())
    check("one trace writer (one start in the trace)", starts == starts_before == 1, f"{starts_before} -> {starts}")
    session.screenshot(os.path.join(artifacts, "window-second-start.png"))

    # Alt+F4 on the window ends the program.
    window = session.visible_window()
    session.run("xdotool", "windowfocus", "--sync", window, capture_output=True)
    session.run("xdotool", "key", "--clearmodifiers", "alt+F4", capture_output=True)
    closed_at = time.time()
    check("Alt+F4 ends the program within 15 s", ended_within(first, 15))
    print(f"  ended {time.time() - closed_at:.1f} s after Alt+F4")
    lines = session.trace()
    check("the trace ends \"Close TapiLine\", \"TapiLine closed\"", trace_ends_closed(lines), lines[-3:])
    return first


def without_control(session, artifacts):
    print("-- without the browser control (ieframe and shdocvw disabled)")
    env = dict(session.env, WINEDLLOVERRIDES="mscoree,mshtml,ieframe,shdocvw=")
    process = session.start(env)
    window = wait_for(session.visible_window, 30)
    if not check("a visible window without the control", window is not None):
        return process
    lines = wait_for(lambda: [l for l in session.windows() if "RavlinAddressLine" in l], 10) or []
    check("the window shows the address line", bool(lines), session.windows())
    check("the trace says why there is no control",
          wait_for(lambda: any("ERROR: no browser control" in l for l in session.trace()), 10))
    session.screenshot(os.path.join(artifacts, "window-no-control.png"))
    session.windows("close")
    check("WM_CLOSE ends the program within 15 s", ended_within(process, 15))
    lines = session.trace()
    check("the trace ends \"Close TapiLine\", \"TapiLine closed\"", trace_ends_closed(lines), lines[-3:])
    return process


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dist", default=os.path.join(ROOT, "dist"))
    parser.add_argument("--artifacts", default=os.path.join(ROOT, "artifacts", "wine-window"))
    args = parser.parse_args()
    if not os.path.exists(os.path.join(args.dist, "ravlin64.exe")) or \
            not glob.glob(os.path.join(args.dist, "Ravlin-*-setup64.exe")):
        print(f"skipped: no ravlin64.exe or setup program in {args.dist} (bash tools/build-windows.sh)")
        return 77
    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            print(f"skipped: {tool} is missing (tools/install-deps.sh)")
            return 77

    display = free_display()
    screen = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    scratch = tempfile.mkdtemp(prefix="ravlin-wine-window-")
    session = Session(scratch, args.dist, display)
    processes = []
    try:
        wait_for(lambda: os.path.exists(f"/tmp/.X11-unix/X{display[1:]}"), 10)
        session.make()
        processes.append(with_control(session, args.artifacts))
        processes.append(without_control(session, args.artifacts))
    except Exception as error:  # reported as a failure with what was seen so far
        check("the test ran to its end", False, f"{type(error).__name__}: {error}")
    finally:
        for process in processes:
            if process and process.poll() is None:
                process.kill()
        session.stop()
        screen.terminate()
        screen.wait()
        shutil.rmtree(scratch, ignore_errors=True)
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
