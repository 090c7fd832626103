"""What the whole-program cases of Porvane.exe share: the settings a case starts from, the policy
window's buttons, Agree, the end the time limit brings, and `case`, which makes a case of a
function. They run under Wine on the X display, driven with xdotool, through the harness that
the Linux tests use (harness.WineGate).

Each test_*.py beside this one is a feature's cases; its table is the list it hands to main:
`test_x.py --list | CASE`, with PORVANE_EXE, PORVANE_HELPER and PORVANE_POLICY set.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness import WINE_TIMEOUT, Openbox, check, open_wine_gate, wait_for  # noqa: E402
import harness  # noqa: E402


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


def case(policy=True, openbox=False, name=None, **settings):
    """Makes a case of body(run), under its own name (or `name`): Porvane.exe in a folder of its
    own with these settings (and the policy file unless told otherwise), started under a bare X
    server or Openbox, everything cleaned up after."""
    def make(body):
        case_name = name or body.__name__

        def play():
            run = open_wine_gate(case_name, ini(**settings), policy=policy)
            wm = Openbox(dict(os.environ), run.root, reluctant=False) if openbox else None
            try:
                body(run.start())
            finally:
                if wm is not None:
                    wm.stop()
        play.__name__ = case_name
        return play
    return make


def main(cases):
    """Runs the case named on the command line among `cases`, the script's table."""
    if "DISPLAY" not in os.environ and sys.argv[1:] != ["--list"]:
        print("no X display (run under xvfb-run)", file=sys.stderr)
        return 2
    return harness.main(cases, needs=("PORVANE_EXE", "PORVANE_HELPER", "PORVANE_POLICY"))
