#!/usr/bin/env python3
"""Whole-program tests of Porvane.exe under Wine on the X display, driven with xdotool.

Each scenario runs in a temporary folder of its own with a copy of Porvane.exe, its own
Porvane.ini, the policy file and the helper program (which records its process id and writes a
heartbeat file every 100 ms while it runs).

Wine's windows are X windows. Wine asks the window manager not to decorate a tool window
(WS_EX_TOOLWINDOW, the policy window): it draws its frame and title bar itself, inside the X
toplevel, so that X window's size *is* the Windows outer size (GetWindowRect), with or without a
window manager. `xdotool getwindowgeometry` on the toplevel found by its title reads it directly; no
test-only mode is involved. (A managed window, such as the closing notice, is different: its
X window is the client area and a window manager would add the frame; under Xvfb there is none,
so the notice shows without a title bar there. Its title is still the X window's name.)

Usage: win32_porvane.py --exe Porvane.exe --helper helper.exe --policy policy.rtf SCENARIO
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
from desktop_session import Openbox  # noqa: E402
from desktops import (check_empty_title, check_fixed_window, focused_window,  # noqa: E402
                      frame_extents)

TIMEOUT = 20.0


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def need(value, message):
    """value, when it is there; otherwise the scenario fails with message."""
    if value is None:
        fail(message)
    return value


def log(message):
    print(message, flush=True)


def xdotool(*args, check=False):
    r = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    if check and r.returncode != 0:
        fail("xdotool %s: %s" % (" ".join(args), r.stderr.strip()))
    return r.stdout.strip()


def wait_until(predicate, timeout=TIMEOUT):
    """predicate's first true value, polled (at least once) until the timeout; None after it."""
    deadline = time.time() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.time() >= deadline:
            return None
        time.sleep(0.1)


def shown(title):
    """The mapped X windows whose name is exactly `title`."""
    return xdotool("search", "--onlyvisible", "--name", "^" + re.escape(title) + "$").split()


def find_window(title, timeout=TIMEOUT):
    """The X window whose name is exactly `title`, once it is mapped."""
    found = wait_until(lambda: shown(title), timeout)
    return found[0] if found else None


def window_gone(title, timeout=TIMEOUT):
    return wait_until(lambda: not shown(title), timeout) is not None


def find_windows(title):
    """The mapped X windows of Porvane.exe whose name is exactly `title`."""
    ids = xdotool("search", "--onlyvisible", "--class", "porvane.exe").split()
    return [w for w in ids if xdotool("getwindowname", w) == title]


def geometry(window):
    out = xdotool("getwindowgeometry", window)
    m = re.search(r"Geometry:\s*(\d+)x(\d+)", out)
    if not m:
        fail("no geometry for window %s: %r" % (window, out))
    return int(m.group(1)), int(m.group(2))


def click(window, x, y):
    """A real pointer click (XTEST) at window-relative coordinates."""
    xdotool("mousemove", "--window", window, str(x), str(y), check=True)
    time.sleep(0.1)
    xdotool("click", "1", check=True)


def press(window, key):
    """A real key press (XTEST) with the input focus on the window."""
    xdotool("windowfocus", window)
    time.sleep(0.2)
    xdotool("key", key, check=True)


def read_text(path):
    try:
        with open(path) as f:
            return f.read().strip()
    except OSError:
        return None


def wine_env():
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    return env


class Run:
    """Porvane.exe in a folder of its own."""

    def __init__(self, args, ini, policy=True):
        self.dir = tempfile.mkdtemp(prefix="porvane-e2e-")
        self.exe = os.path.join(self.dir, "Porvane.exe")
        shutil.copy(args.exe, self.exe)
        shutil.copy(args.helper, os.path.join(self.dir, "helper.exe"))
        if policy:
            shutil.copy(args.policy, os.path.join(self.dir, "policy.rtf"))
        self.pid_file = os.path.join(self.dir, "pid.txt")
        self.beat_file = os.path.join(self.dir, "beat.txt")
        self.write_ini(ini)
        self.proc = None
        self.bystander = None

    def write_ini(self, ini):
        # The program's path in quotes, the arguments without: a value that both starts and
        # ends with a quote loses that pair when the profile is read.
        ini = ini.replace("@HELPER@", '"%s" %s %s' % (
            self.windows_path("helper.exe"), self.windows_path("pid.txt"),
            self.windows_path("beat.txt")))
        ini = ini.replace("@HELPER_EXE@", '"%s"' % self.windows_path("helper.exe"))
        with open(os.path.join(self.dir, "Porvane.ini"), "w", newline="\r\n") as f:
            f.write(ini)

    def windows_path(self, name):
        # Wine's drive Z: is the Unix root.
        return "Z:" + os.path.join(self.dir, name).replace("/", "\\")

    def start(self):
        self.proc = subprocess.Popen(["wine", self.exe], cwd=self.dir, env=wine_env(),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def box_text(self, title):
        """The text of this program's message box titled `title`, read by the helper."""
        out = os.path.join(self.dir, "box.txt")
        subprocess.run(["wine", os.path.join(self.dir, "helper.exe"), "--box-text", title,
                        self.windows_path("box.txt")], env=wine_env(), timeout=TIMEOUT,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not os.path.exists(out):
            fail("no message box titled %r to read" % title)
        with open(out, encoding="utf-8") as f:
            return f.read()

    def wait_exit(self, timeout=TIMEOUT):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def ends(self, after, status=0):
        """The program ends, with this status, after `after`."""
        got = need(self.wait_exit(), "Porvane did not end after " + after)
        if got != status:
            fail("exit status %s after %s, expected %s" % (got, after, status))

    def helper_pid(self, timeout=TIMEOUT):
        def recorded():
            try:
                with open(self.pid_file) as f:
                    return f.read().strip()
            except OSError:
                return None
        text = wait_until(recorded, timeout)
        return int(text) if text else None

    def heartbeat(self):
        return read_text(self.beat_file)

    def helper_running(self, beat_file=None):
        """True while the heartbeat changes (it is rewritten every 100 ms)."""
        before = read_text(beat_file or self.beat_file)
        time.sleep(0.6)
        return read_text(beat_file or self.beat_file) != before

    def start_bystander(self):
        """The helper with the application's arguments, started outside Porvane from a folder of
        its own; returns its heartbeat file."""
        folder = os.path.join(self.dir, "bystander")
        os.mkdir(folder)
        self.bystander = subprocess.Popen(["wine", os.path.join(self.dir, "helper.exe"), "pid.txt",
                                           "beat.txt"], cwd=folder, env=wine_env(),
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        beat = os.path.join(folder, "beat.txt")
        need(wait_until(lambda: os.path.exists(beat)), "the bystander did not start")
        return beat

    def cleanup(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        # A helper that a failed run left behind, by its own process id.
        pid = self.helper_pid(timeout=0)
        if pid is not None and self.helper_running():
            subprocess.run(["wine", "taskkill", "/f", "/pid", str(pid)], capture_output=True)
        for proc in (self.bystander, getattr(self, "watcher", None)):
            if proc is not None:
                proc.kill()
                proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)


# Every key the program reads, at the value a scenario gets unless it says otherwise.
DEFAULTS = {
    "General": {"FormCaption": "Usage Policy", "AgreeCaption": "Agree",
                "DisagreeCaption": "Disagree", "PolicyFile": "policy.rtf", "PolicyWidth": "640",
                "PolicyHeight": "480", "Application": "@HELPER@"},
    "Application": {"ClosePorvaneAfterAgree": "False", "ClosePorvaneInSeconds": "0",
                    "CloseApplicationOnClose": "False", "CloseAt": ""},
    "Closing": {"ShowCloseDialog": "False", "CloseTitle": "Session over",
                "CloseText": "Your session has ended.", "WarnBeforeSeconds": "0",
                "WarnTitle": "Ending soon", "WarnText": "Save your work.",
                "ShowTimeLeft": "False", "TimeLeftTitle": "Time left"},
}


def ini(**overrides):
    lines = []
    for section, keys in DEFAULTS.items():
        lines.append("[%s]" % section)
        # A value may be worked out as the run starts (a closing time, from the clock).
        lines += ["%s=%s" % (key, value() if callable(value) else value)
                  for key, value in ((k, overrides.pop(k, v)) for k, v in keys.items())]
    if overrides:
        fail("no such key: %s" % ", ".join(overrides))
    return "\n".join(lines) + "\n"


# The buttons of the policy window, from the form's layout (twips at 15 per pixel): both sit
# 26 pixels above the client area's bottom edge; Disagree's centre 48 pixels from its left
# edge, Agree's 55 pixels from its right edge. The frame is a few pixels wide.
def agree_point(window):
    w, h = geometry(window)
    return w - 58, h - 29


def disagree_point(window):
    w, h = geometry(window)
    return 51, h - 29


def policy_window():
    window = need(find_window("Usage Policy"), "the policy window did not appear")
    time.sleep(0.5)  # let it paint and take the focus
    return window


def agree(run):
    """Agree in the policy window; returns the application's process id once it runs."""
    window = policy_window()
    click(window, *agree_point(window))
    if not window_gone("Usage Policy"):
        fail("Agree did not hide the policy window")
    return need(run.helper_pid(), "the application was not started")


def notice_ends_everything(run, timeout=TIMEOUT):
    """The time limit ends the application at once; the closing notice holds the program, and
    after OK it ends too."""
    notice = need(find_window("Session over", timeout=timeout), "no closing notice")
    if not wait_until(lambda: not run.helper_running()):
        fail("the application still runs while the closing notice waits")
    if run.proc.poll() is not None:
        fail("Porvane ended before the notice was dismissed")
    time.sleep(0.3)
    press(notice, "Return")
    run.ends("OK")
    if run.helper_running():
        fail("the application still runs after Porvane ended")


# name: the scenario, run on its settings against a started Porvane.exe
SCENARIOS = {}


def scenario(policy=True, openbox=False, name=None, **settings):
    """Registers body(run) as the scenario of its name (or `name`): Porvane.exe in a folder of
    its own with these settings (and the policy file unless told otherwise), started under a
    bare X server or Openbox, everything cleaned up after."""
    def register(body):
        def play(args):
            run = Run(args, ini(**settings), policy)
            wm = Openbox(dict(os.environ), run.dir, reluctant=False) if openbox else None
            try:
                run.start()
                body(run)
            finally:
                run.cleanup()
                if wm is not None:
                    wm.stop()
        SCENARIOS[name or body.__name__] = play
        return body
    return register


@scenario(ClosePorvaneInSeconds="2", CloseApplicationOnClose="True", ShowCloseDialog="True")
def typical(run):
    log("application started, pid %d" % agree(run))
    if not run.helper_running():
        fail("the application is not running")
    notice_ends_everything(run, timeout=15)
    log("PASS: typical run; the application was ended")


# The warning comes two seconds before the timed close; the application runs on, and the timed
# close still takes the warning away and ends everything, notice included. (That it leaves the
# keyboard alone is the backend test's.)
@scenario(ClosePorvaneInSeconds="4", CloseApplicationOnClose="True", ShowCloseDialog="True",
          WarnBeforeSeconds="2")
def warning(run):
    agree(run)
    need(find_window("Ending soon"), "no warning")
    if not run.helper_running():
        fail("the application ended when the warning appeared")
    if not window_gone("Ending soon"):
        fail("the timed close left the warning open")
    notice_ends_everything(run)
    log("PASS: the warning, then the timed close ended everything")


def watch_text(run, title):
    """Starts the helper watching the text of the window titled `title` as a screen reader reads
    it (WM_GETTEXT on its static control); returns the file it writes, "MS TEXT" per line."""
    out = os.path.join(run.dir, "watched.txt")
    run.watcher = subprocess.Popen(
        ["wine", os.path.join(run.dir, "helper.exe"), "--watch-text", title,
         run.windows_path("watched.txt")], env=wine_env(),
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return out


def watched(path):
    """The (ms, text) lines the watcher wrote, once it saw the window go."""
    def done():
        text = read_text(path) or ""
        return text if text.endswith("gone") else None
    text = need(wait_until(done, timeout=30), "the countdown never went")
    # The control reads empty once its window is being destroyed.
    return [(int(ms), value) for ms, _, value in
            (line.partition(" ") for line in text.splitlines()) if value]


# The countdown, read as a screen reader reads it while it runs: every second down to 0:01, then
# the session ends with it, the application at once, the notice waiting for its OK. It sits in the
# work area's bottom-right corner and leaves the keyboard with the application.
@scenario(ClosePorvaneInSeconds="5", CloseApplicationOnClose="True", ShowCloseDialog="True",
          ShowTimeLeft="True")
def countdown(run):
    out = watch_text(run, "Time left")
    agree(run)
    window = need(find_window("Time left"), "no countdown")
    if focused_window(dict(os.environ)) == window:
        fail("the countdown took the keyboard focus")
    lines = watched(out)
    texts = [text for _, text in lines]
    log("countdown read: %s" % texts)
    if texts[-2:] != ["0:01", "gone"] or not set(["0:04", "0:03", "0:02"]) <= set(texts):
        fail("the countdown read %s" % texts)
    last = next(ms for ms, text in lines if text == "0:01")
    log("the countdown's last second, 0:01, showed %d ms before the end" % (lines[-1][0] - last))
    notice_ends_everything(run)
    log("PASS: the countdown counted down to the end")


# Three reminders in one short session: the warning comes at each, dismissed each time.
@scenario(ClosePorvaneInSeconds="9", CloseApplicationOnClose="True", ShowCloseDialog="True",
          WarnBeforeSeconds="7, 5 3")
def reminders(run):
    agree(run)
    for n in range(3):
        warning = need(find_window("Ending soon"), "reminder %d did not come" % (n + 1))
        # OK, from the form's layout: 4680, 1200 twips, 81 x 25 pixels.
        click(warning, 312 + 40, 80 + 12)
        if not window_gone("Ending soon"):
            fail("OK did not close reminder %d" % (n + 1))
    notice_ends_everything(run)
    log("PASS: three reminders, then the end")


# A closing time a few seconds away cuts a limit of an hour.
def closing_time_in(seconds):
    return time.strftime("%H:%M:%S", time.localtime(time.time() + seconds))


@scenario(ClosePorvaneInSeconds="3600", CloseApplicationOnClose="True", ShowCloseDialog="True",
          CloseAt=lambda: closing_time_in(12))
def closing_time(run):
    agree(run)
    notice_ends_everything(run, timeout=25)
    log("PASS: the closing time ended the session")


@scenario()
def disagree(run):
    window = policy_window()
    click(window, *disagree_point(window))
    run.ends("Disagree")
    time.sleep(0.5)
    if os.path.exists(run.pid_file):
        fail("Disagree started the application")
    log("PASS: Disagree ends with status 0 and starts nothing")


@scenario(PolicyWidth="wide")
def ini_error(run):
    box = need(find_window("Ini RW Class"), "no 'Ini RW Class' notice for a malformed PolicyWidth")
    time.sleep(0.3)
    press(box, "Return")
    if not window_gone("Ini RW Class"):
        fail("the notice did not go away on Return")
    window = policy_window()
    log("policy window after the notice: %dx%d" % geometry(window))
    click(window, *disagree_point(window))
    run.ends("Disagree")
    log("PASS: the notice, then the window, then an orderly end")


@scenario(policy=False, PolicyFile="missing.rtf")
def missing_policy(run):
    box = need(find_window("Porvane"), "no fatal error box for a missing policy file")
    if find_window("Usage Policy", timeout=0.5) is not None:
        fail("the policy window showed despite the fatal error")
    # The box names the policy as it was resolved, beside the program.
    text = run.box_text("Porvane").replace("\r\n", "\n")
    expected = "Run-time error '53':\n\nFile not found\n\n" + run.windows_path("missing.rtf")
    if text != expected:
        fail("the fatal box says %r, not %r" % (text, expected))
    time.sleep(0.3)
    press(box, "Return")
    run.ends("the fatal error box", status=1)
    log("PASS: a missing policy file is fatal, names the file, status 1")


@scenario(PolicyWidth="640", PolicyHeight="480")
def outer_size(run):
    window = policy_window()
    w, h = geometry(window)
    log("outer size %dx%d" % (w, h))
    if (w, h) != (641, 481):
        fail("outer size %dx%d, expected 641x481 at 96 DPI" % (w, h))
    click(window, *disagree_point(window))
    run.ends("Disagree")
    log("PASS: 641x481 for 640 x 480")


# Tab from Agree (focused first) to Disagree, then Space: the keyboard path of the dialog
# manager in the event loop.
@scenario()
def keyboard(run):
    press(policy_window(), "Tab")
    time.sleep(0.2)
    xdotool("key", "space", check=True)
    run.ends("Tab, Space")
    if os.path.exists(run.pid_file):
        fail("Tab, Space did not act as Disagree: the application was started")
    log("PASS: keyboard Tab, Space on Disagree")


# Under a window manager: both windows untitled, so the titles must be exactly empty; both
# fixed (what Wine makes of our styles); the keyboard on Agree, then on OK.
@scenario(openbox=True, FormCaption="", CloseTitle="", ClosePorvaneAfterAgree="True",
          ShowCloseDialog="True")
def openbox(run):
    env = os.environ
    policy = need(wait_until(lambda: find_windows("")), "no untitled policy window")[0]
    check_empty_title(env, policy, "the policy window")
    check_fixed_window(env, policy, "the policy window")
    # 640 x 480 configured: the frame Wine draws is all there is.
    if geometry(policy) != (641, 481) or frame_extents(env, policy) != (0, 0, 0, 0):
        fail("the policy window is %s with a frame of %s, not 641x481 all told"
             % (geometry(policy), frame_extents(env, policy)))
    # Wine cannot ask the window manager for the focus; Openbox gives it to a new window off the
    # taskbar only when it is a dialog, which Wine makes of an owned pop-up.
    need(wait_until(lambda: focused_window(env) == policy),
         "the policy window did not get the keyboard focus")
    xdotool("key", "Return", check=True)
    need(run.helper_pid(), "Return did not agree")
    notice = need(wait_until(lambda: [w for w in find_windows("") if w != policy]),
                  "no untitled closing notice")[0]
    check_empty_title(env, notice, "the closing notice")
    check_fixed_window(env, notice, "the closing notice")
    need(wait_until(lambda: focused_window(env) == notice),
         "the closing notice did not get the keyboard focus")
    xdotool("key", "Return", check=True)
    run.ends("Return on the notice")
    log("PASS: untitled, fixed and focused under Openbox")


# `taskkill /im` without /f posts WM_CLOSE to every top-level window of the process, the hidden
# ones included: after Agree an end asked for from outside, handled as SIGTERM is on Linux. The
# program ends in order at once, notice or not, and the time limit's termination of the
# application still happens; nothing runs on with no window.
@scenario(CloseApplicationOnClose="True", ShowCloseDialog="True")
def taskkill(run):
    agree(run)
    r = subprocess.run(["wine", "taskkill", "/im", "Porvane.exe"], capture_output=True,
                       text=True, timeout=TIMEOUT)
    log("taskkill: status %d, %s" % (r.returncode, (r.stdout + r.stderr).strip()))
    if r.returncode != 0:
        fail("taskkill found no window of Porvane.exe to close")
    run.ends("taskkill")
    if run.helper_running():
        fail("the application still runs after Porvane ended")
    log("PASS: taskkill ends the program in order and the application with it")


# The time limit ends the whole application, and nothing else. The application is a launcher:
# cmd's `start` runs the helper and cmd is gone at once. The helper records itself in files named
# relative to its working folder, Porvane's; the same helper with the same arguments runs beside
# it, started outside Porvane, and must never be touched.
LAUNCHER = 'cmd.exe /c start "" @HELPER_EXE@ pid.txt beat.txt'

# name: (how Porvane ends, CloseApplicationOnClose at Agree and at the end, the application
#        ended)
WHOLE_APPLICATION = {
    "launcher_time_limit": ("time", "True", "True", True),
    "launcher_gate_killed": ("kill", "True", "True", True),
    "setting_off_at_end": ("time", "True", "False", False),
    "setting_off_gate_killed": ("kill", "False", "False", False),
}


def whole_application_keys(how, close_app):
    return dict(Application=LAUNCHER, ClosePorvaneInSeconds="3" if how == "time" else "600",
                CloseApplicationOnClose=close_app, ShowCloseDialog="True")


def last_beat(beat_file):
    """The wall-clock time of the helper's last heartbeat, once its heartbeat has stopped."""
    last, changed = read_text(beat_file), time.monotonic()
    deadline = changed + TIMEOUT
    while time.monotonic() - changed < 0.5:
        if time.monotonic() > deadline:
            fail("the application still runs %.0f s after Porvane was killed" % TIMEOUT)
        time.sleep(0.02)
        beat = read_text(beat_file)
        if beat != last:
            last, changed = beat, time.monotonic()
    return os.path.getmtime(beat_file)


def whole_application(name):
    how, _, close_later, ended = WHOLE_APPLICATION[name]

    def body(run):
        bystander = run.start_bystander()
        agree(run)
        if how == "time":
            # The time limit reads the setting as it ends the session, before the notice.
            run.write_ini(ini(**whole_application_keys(how, close_later)))
            notice = need(find_window("Session over"), "no closing notice")
            if ended and not wait_until(lambda: not run.helper_running()):
                fail("the application still runs while the closing notice waits")
            time.sleep(0.3)
            press(notice, "Return")
            run.ends("OK")
        else:
            r = subprocess.run(["wine", "taskkill", "/f", "/im", "Porvane.exe"],
                               capture_output=True, text=True, timeout=TIMEOUT)
            killed = time.time()
            if r.returncode != 0:
                fail("taskkill /f: %s" % (r.stdout + r.stderr).strip())
            need(run.wait_exit(), "Porvane still runs after taskkill /f")
        if ended and how == "kill":
            log("the application's last heartbeat (one every 100 ms) came %+.0f ms from "
                "taskkill /f's return" % ((last_beat(run.beat_file) - killed) * 1000))
            if run.helper_running():
                fail("the application's heartbeat stopped, but it still runs")
        elif ended and run.helper_running():
            fail("the application still runs")
        # Kill-on-close acts as the wineserver lets go of Porvane: two samples leave it time.
        elif not ended and not (run.helper_running() and run.helper_running()):
            fail("the application was ended")
        if not run.helper_running(bystander):
            fail("the helper started outside Porvane was ended")
        log("PASS: %s" % name)
    return body


for _name, (_how, _close_app, _, _) in WHOLE_APPLICATION.items():
    scenario(name=_name, **whole_application_keys(_how, _close_app))(whole_application(_name))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--helper", required=True)
    parser.add_argument("--policy", required=True)
    parser.add_argument("scenario", choices=SCENARIOS)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        fail("no X display (run under xvfb-run)")
    SCENARIOS[args.scenario](args)


if __name__ == "__main__":
    main()
