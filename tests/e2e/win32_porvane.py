#!/usr/bin/env python3
"""Whole-program tests of Porvane.exe under Wine on the X display, driven with xdotool, through
the harness that the Linux tests use (harness.WineGate).

Usage: win32_porvane.py --list | CASE, with PORVANE_EXE, PORVANE_HELPER and PORVANE_POLICY set.
"""

import os
import subprocess
import sys
import time

from desktops import check_empty_title, check_fixed_window, focused_window, frame_extents
from harness import (WINE_TIMEOUT, Failure, Openbox, check, main, open_wine_gate, read_text,
                     wait_for)


def log(message):
    print(message, flush=True)


# Every key the program reads, at the value a case gets unless it says otherwise.
DEFAULTS = {
    "General": {"FormCaption": "Usage Policy", "AgreeCaption": "Agree",
                "DisagreeCaption": "Disagree", "PolicyFile": "policy.rtf", "PolicyWidth": "640",
                "PolicyHeight": "480", "Application": "@HELPER@"},
    "Application": {"ClosePorvaneAfterAgree": "False", "ClosePorvaneInSeconds": "0",
                    "CloseApplicationOnClose": "False", "LogOffOnClose": "False", "CloseAt": "",
                    "IdleSeconds": "0"},
    "Closing": {"ShowCloseDialog": "False", "CloseTitle": "Session over",
                "CloseText": "Your session has ended.", "WarnBeforeSeconds": "0",
                "WarnTitle": "Ending soon", "WarnText": "Save your work.",
                "ShowTimeLeft": "False", "TimeLeftTitle": "Time left",
                "IdleWarnSeconds": "0", "IdleWarnTitle": "Still there?",
                "IdleWarnText": "Move the mouse to keep your session."},
}


def ini(**overrides):
    lines = []
    for section, keys in DEFAULTS.items():
        lines.append("[%s]" % section)
        # A value may be worked out as the case starts (a closing time, from the clock).
        lines += ["%s=%s" % (key, value() if callable(value) else value)
                  for key, value in ((k, overrides.pop(k, v)) for k, v in keys.items())]
    check(not overrides, "no such key: %s" % ", ".join(overrides))
    return "\n".join(lines) + "\n"


# The buttons of the policy window, from the form's layout (twips at 15 per pixel): both sit
# 26 pixels above the client area's bottom edge; Disagree's centre 48 pixels from its left
# edge, Agree's 55 pixels from its right edge. The frame is a few pixels wide.
def agree_point(run, window):
    w, h = run.geometry(window)
    return w - 58, h - 29


def disagree_point(run, window):
    w, h = run.geometry(window)
    return 51, h - 29


def policy_window(run):
    window = run.window("Usage Policy")
    time.sleep(0.5)  # let it paint and take the focus
    return window


def disagree_by_click(run):
    window = policy_window(run)
    run.click(window, *disagree_point(run, window))
    run.ends("Disagree")


def agree(run):
    """Agree in the policy window; returns the application's process id once it runs."""
    window = policy_window(run)
    run.click(window, *agree_point(run, window))
    run.wait_hidden("Usage Policy")
    return run.helper_pid()


def notice_ends_everything(run, timeout=WINE_TIMEOUT):
    """The time limit ends the application at once; the closing notice holds the program, and
    after OK it ends too."""
    notice = run.window("Session over", timeout=timeout)
    wait_for(lambda: not run.helper_running(), "the application to end before the notice's OK")
    check(run.proc.poll() is None, "Porvane ended before the notice was dismissed")
    time.sleep(0.3)
    run.press(notice, "Return")
    run.ends("OK")
    check(not run.helper_running(), "the application still runs after Porvane ended")


# name: the case, run on its settings against a started Porvane.exe
CASES = {}


def case(policy=True, openbox=False, name=None, **settings):
    """Registers body(run) as the case of its name (or `name`): Porvane.exe in a folder of its
    own with these settings (and the policy file unless told otherwise), started under a bare X
    server or Openbox, everything cleaned up after."""
    def register(body):
        case_name = name or body.__name__

        def play():
            run = open_wine_gate(case_name, ini(**settings), policy=policy)
            wm = Openbox(dict(os.environ), run.root, reluctant=False) if openbox else None
            try:
                body(run.start())
            finally:
                if wm is not None:
                    wm.stop()
        CASES[case_name] = play
        return body
    return register


@case(ClosePorvaneInSeconds="2", CloseApplicationOnClose="True", ShowCloseDialog="True")
def typical(run):
    log("application started, pid %d" % agree(run))
    check(run.helper_running(), "the application is not running")
    notice_ends_everything(run, timeout=15)


# The warning comes two seconds before the timed close; the application runs on, and the timed
# close still takes the warning away and ends everything, notice included. (That it leaves the
# keyboard alone is the backend test's.)
@case(ClosePorvaneInSeconds="4", CloseApplicationOnClose="True", ShowCloseDialog="True",
      WarnBeforeSeconds="2")
def warning(run):
    agree(run)
    run.window("Ending soon")
    check(run.helper_running(), "the application ended when the warning appeared")
    run.wait_hidden("Ending soon")
    notice_ends_everything(run)


# The idle end: GetLastInputInfo counts input that reaches Wine's windows, so the pointer moves
# over the idle warning, as a user answering it would, and then off it to a corner of the screen
# where no window of Wine's is. The warning comes two seconds after the last input and input
# takes it away; rounds of that keep the session well past IdleSeconds, and without input it
# ends IdleSeconds after the last one, as at a time limit. Under Openbox: on a bare X server
# Wine waits up to two seconds for a window manager whenever a window hides, and the program's
# timers wait with it.
IDLE_SECONDS = 5


@case(openbox=True, IdleSeconds=str(IDLE_SECONDS), IdleWarnSeconds="3",
      CloseApplicationOnClose="True", ShowCloseDialog="True")
def idle(run):
    agree(run)
    last_input = None
    for step in range(3):
        warning = run.window("Still there?")
        check(run.helper_running(), "the application ended with the idle warning")
        run.xdotool("mousemove", "--window", warning, str(20 + 10 * step), "20")
        last_input = time.monotonic()
        # Off Wine's windows again: a window mapped under a resting pointer gets it as a
        # pointer event, which Wine counts as input.
        run.xdotool("mousemove", "1270", "1010")
        run.wait_hidden("Still there?", timeout=3)
    run.window("Session over", timeout=IDLE_SECONDS + 5)
    seconds = time.monotonic() - last_input
    log("idle end %.2f s after the last input (IdleSeconds=%d)" % (seconds, IDLE_SECONDS))
    check(seconds >= IDLE_SECONDS - 0.3, "the session ended before IdleSeconds")
    notice_ends_everything(run)


def watched(path):
    """The (ms, text) lines the watcher wrote, once it saw the window go."""
    def done():
        text = read_text(path) or ""
        return text if text.endswith("gone") else None
    text = wait_for(done, "the countdown to go", timeout=30)
    # The control reads empty once its window is being destroyed.
    return [(int(ms), value) for ms, _, value in
            (line.partition(" ") for line in text.splitlines()) if value]


# The countdown, read as a screen reader reads it while it runs: every second down to 0:01, then
# the session ends with it, the application at once, the notice waiting for its OK. It leaves
# the keyboard with the application.
@case(ClosePorvaneInSeconds="5", CloseApplicationOnClose="True", ShowCloseDialog="True",
      ShowTimeLeft="True")
def countdown(run):
    out = run.watch_text("Time left")
    agree(run)
    window = run.window("Time left")
    check(focused_window(run.env) != window, "the countdown took the keyboard focus")
    lines = watched(out)
    texts = [text for _, text in lines]
    log("countdown read: %s" % texts)
    check(texts[-2:] == ["0:01", "gone"] and {"0:04", "0:03", "0:02"} <= set(texts),
          "the countdown read %s" % texts)
    last = next(ms for ms, text in lines if text == "0:01")
    log("the countdown's last second, 0:01, showed %d ms before the end" % (lines[-1][0] - last))
    notice_ends_everything(run)


# Three reminders in one short session: the warning comes at each, dismissed each time. Four
# seconds apart: under Wine, OK takes two seconds to return, and the session's time goes on.
@case(ClosePorvaneInSeconds="13", CloseApplicationOnClose="True", ShowCloseDialog="True",
      WarnBeforeSeconds="10, 6 2")
def reminders(run):
    agree(run)
    for _ in range(3):
        warning = run.window("Ending soon")
        # OK, from the form's layout: 4680, 1200 twips, 81 x 25 pixels.
        run.click(warning, 312 + 40, 80 + 12)
        run.wait_hidden("Ending soon")
    notice_ends_everything(run)


# A closing time a few seconds away cuts a limit of an hour.
def closing_time_in(seconds):
    return time.strftime("%H:%M:%S", time.localtime(time.time() + seconds))


@case(ClosePorvaneInSeconds="3600", CloseApplicationOnClose="True", ShowCloseDialog="True",
      CloseAt=lambda: closing_time_in(12))
def closing_time(run):
    agree(run)
    notice_ends_everything(run, timeout=25)


@case()
def disagree(run):
    disagree_by_click(run)
    time.sleep(0.5)
    check(not os.path.exists(run.pid_file), "Disagree started the application")


@case(PolicyWidth="wide")
def ini_error(run):
    box = run.window("Ini RW Class")
    time.sleep(0.3)
    run.press(box, "Return")
    run.wait_hidden("Ini RW Class")
    log("policy window after the notice: %dx%d" % run.geometry(policy_window(run)))
    disagree_by_click(run)


@case(policy=False, PolicyFile="missing.rtf")
def missing_policy(run):
    box = run.window("Porvane")
    time.sleep(0.5)  # a window that should not come: give it the time it would take
    check(not run.find("Usage Policy"), "the policy window showed despite the fatal error")
    # The box names the policy as it was resolved, beside the program.
    text = run.box_text("Porvane").replace("\r\n", "\n")
    expected = "Run-time error '53':\n\nFile not found\n\n" + run.windows_path("missing.rtf")
    check(text == expected, "the fatal box says %r, not %r" % (text, expected))
    time.sleep(0.3)
    run.press(box, "Return")
    run.ends("the fatal error box", status=1)


@case(PolicyWidth="640", PolicyHeight="480")
def outer_size(run):
    size = run.geometry(policy_window(run))
    check(size == (641, 481), "outer size %dx%d, expected 641x481 at 96 DPI" % size)
    disagree_by_click(run)


# Tab from Agree (focused first) to Disagree, then Space: the keyboard path of the dialog
# manager in the event loop.
@case()
def keyboard(run):
    run.press(policy_window(run), "Tab")
    time.sleep(0.2)
    run.xdotool("key", "space")
    run.ends("Tab, Space")
    check(not os.path.exists(run.pid_file),
          "Tab, Space did not act as Disagree: the application was started")


# Under a window manager: both windows untitled, so the titles must be exactly empty; both
# fixed (what Wine makes of our styles); the keyboard on Agree, then on OK.
@case(openbox=True, FormCaption="", CloseTitle="", ClosePorvaneAfterAgree="True",
      ShowCloseDialog="True")
def openbox(run):
    env = os.environ
    policy = wait_for(lambda: run.find(""), "an untitled policy window")[0]
    check_empty_title(env, policy, "the policy window")
    check_fixed_window(env, policy, "the policy window")
    # 640 x 480 configured: the frame Wine draws is all there is.
    check(run.geometry(policy) == (641, 481) and frame_extents(env, policy) == (0, 0, 0, 0),
          "the policy window is %s with a frame of %s, not 641x481 all told"
          % (run.geometry(policy), frame_extents(env, policy)))
    # Wine cannot ask the window manager for the focus; Openbox gives it to a new window off the
    # taskbar only when it is a dialog, which Wine makes of an owned pop-up.
    wait_for(lambda: focused_window(env) == policy, "the policy window to get the focus",
             WINE_TIMEOUT)
    run.xdotool("key", "Return")
    run.helper_pid()
    notice = wait_for(lambda: [w for w in run.find("") if w != policy],
                      "an untitled closing notice", WINE_TIMEOUT)[0]
    check_empty_title(env, notice, "the closing notice")
    check_fixed_window(env, notice, "the closing notice")
    wait_for(lambda: focused_window(env) == notice, "the closing notice to get the focus",
             WINE_TIMEOUT)
    run.xdotool("key", "Return")
    run.ends("Return on the notice")


# `taskkill /im` without /f posts WM_CLOSE to every top-level window of the process, the hidden
# ones included: after Agree an end asked for from outside, handled as SIGTERM is on Linux. The
# program ends in order at once, notice or not, and the time limit's termination of the
# application still happens; nothing runs on with no window.
@case(CloseApplicationOnClose="True", ShowCloseDialog="True")
def taskkill(run):
    agree(run)
    r = subprocess.run(["wine", "taskkill", "/im", "Porvane.exe"], capture_output=True,
                       text=True, timeout=WINE_TIMEOUT, env=run.env)
    log("taskkill: status %d, %s" % (r.returncode, (r.stdout + r.stderr).strip()))
    check(r.returncode == 0, "taskkill found no window of Porvane.exe to close")
    run.ends("taskkill")
    check(not run.helper_running(), "the application still runs after Porvane ended")


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
    deadline = changed + WINE_TIMEOUT
    while time.monotonic() - changed < 0.5:
        if time.monotonic() > deadline:
            raise Failure("the application still runs %.0f s after Porvane was killed"
                          % WINE_TIMEOUT)
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
            run.write_settings(ini(**whole_application_keys(how, close_later)))
            notice = run.window("Session over")
            if ended:
                wait_for(lambda: not run.helper_running(),
                         "the application to end before the notice's OK")
            time.sleep(0.3)
            run.press(notice, "Return")
            run.ends("OK")
        else:
            r = subprocess.run(["wine", "taskkill", "/f", "/im", "Porvane.exe"],
                               capture_output=True, text=True, timeout=WINE_TIMEOUT, env=run.env)
            killed = time.time()
            check(r.returncode == 0, "taskkill /f: %s" % (r.stdout + r.stderr).strip())
            run.wait_exit()
        if ended and how == "kill":
            log("the application's last heartbeat (one every 100 ms) came %+.0f ms from "
                "taskkill /f's return" % ((last_beat(run.beat_file) - killed) * 1000))
            check(not run.helper_running(),
                  "the application's heartbeat stopped, but it still runs")
        elif ended:
            check(not run.helper_running(), "the application still runs")
        else:
            # Kill-on-close acts as the wineserver lets go of Porvane: two samples leave it time.
            check(run.helper_running() and run.helper_running(), "the application was ended")
        check(run.helper_running(bystander), "the helper started outside Porvane was ended")
    return body


for _name, (_how, _close_app, _, _) in WHOLE_APPLICATION.items():
    case(name=_name, **whole_application_keys(_how, _close_app))(whole_application(_name))


# LogOffOnClose: after the time limit's end, the log-off ends the session's other programs, here
# Notepad started beside Porvane; without the key it runs on. (Wine's log-off asks every window
# to end its session and ends the programs that agree; a program with no window is left, where
# Windows would end it with the session. CMake runs these in a Wine prefix of their own: the
# log-off reaches every program of the prefix.)
LOG_OFF = {"log_off": ("True", False), "no_log_off": ("False", True)}


def log_off(name):
    key, survives = LOG_OFF[name]

    def body(run):
        run.bystander = subprocess.Popen(["wine", "notepad.exe"], env=run.env,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        notepad = wait_for(lambda: run.xdotool("search", "--onlyvisible", "--name",
                                               "^Untitled - Notepad$").split(), "Notepad")[0]
        run.xdotool("windowmove", notepad, "900", "800")  # out of the policy window's way
        agree(run)
        run.ends("the time limit")
        check(not run.helper_running(), "the application still runs")
        try:
            run.bystander.wait(WINE_TIMEOUT if not survives else 2)
            gone = True
        except subprocess.TimeoutExpired:
            gone = False
        check(gone != survives, "Notepad beside Porvane %s" % (
            "was ended without LogOffOnClose" if survives else "still runs after the log-off"))
    return body


for _name, (_key, _) in LOG_OFF.items():
    case(name=_name, ClosePorvaneInSeconds="1", CloseApplicationOnClose="True",
         LogOffOnClose=_key)(log_off(_name))


if __name__ == "__main__":
    if "DISPLAY" not in os.environ and sys.argv[1:] != ["--list"]:
        print("no X display (run under xvfb-run)", file=sys.stderr)
        sys.exit(2)
    sys.exit(main(CASES, needs=("PORVANE_EXE", "PORVANE_HELPER", "PORVANE_POLICY")))
