"""The time-limit warning: it appears before the timed close without taking the keyboard, the
application runs on meanwhile, and the timed close still ends everything while it is open; it
comes at each of several reminders; and a closing time ends the session before a long limit."""

import sys
import time

from desktops import focused_window, x_properties
from harness import check, is_running, main, open_gate, settings, wait_for

WARNING = settings(
    General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
             "Application": "{application}"},
    Application={"ClosePorvaneInSeconds": "4", "CloseApplicationOnClose": "True"},
    Closing={"WarnBeforeSeconds": "2", "WarnTitle": "Ending soon",
             "WarnText": "Save your work."},
)


def warning_left_open():
    gate = open_gate("warning", WARNING).start()
    gate.press(gate.window(gate.caption), "Return")
    gate.wait_hidden(gate.caption)
    pid, _ = gate.started()

    warning = gate.window("Ending soon")
    states = x_properties(gate.env, warning, "_NET_WM_STATE")["_NET_WM_STATE"] or ""
    for state in ("_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR"):
        check(state in states, f"the warning lacks {state}: {states.strip()}")
    check(is_running(pid), "the application ended when the warning appeared")

    # For as long as the warning is shown, the keyboard stays where it was.
    def gone():
        check(focused_window(gate.env) != warning, "the warning took the keyboard focus")
        return not gate.find("Ending soon")
    wait_for(gone, "the timed close to take the warning away")

    gate.ends()
    gate.wait_ended(pid)


def three_reminders():
    """Three reminders in one short session: the warning comes at each, closed each time."""
    text = WARNING.replace("ClosePorvaneInSeconds=4", "ClosePorvaneInSeconds=9").replace(
        "WarnBeforeSeconds=2", "WarnBeforeSeconds=7, 5 3")
    gate = open_gate("reminders", text).start()
    gate.press(gate.window(gate.caption), "Return")
    pid, _ = gate.started()
    for n in range(3):
        warning = gate.window("Ending soon")
        gate.close_request(warning)
        gate.wait_hidden("Ending soon")
    gate.ends()
    gate.wait_ended(pid)


def closing_time_cuts_limit():
    """A closing time a few seconds away cuts a limit of an hour; the countdown counts to it from
    the work area's bottom-right corner, without the keyboard; the application ends at the
    closing time while the notice waits."""
    closing = time.strftime("%H:%M:%S", time.localtime(time.time() + 8))
    text = settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "{application}"},
        Application={"ClosePorvaneInSeconds": "3600", "CloseApplicationOnClose": "True",
                     "CloseAt": closing},
        Closing={"ShowCloseDialog": "True", "CloseTitle": "Goodbye", "ShowTimeLeft": "True",
                 "TimeLeftTitle": "Time left"},
    )
    gate = open_gate("closing", text).start()
    gate.press(gate.window(gate.caption), "Return")
    pid, _ = gate.started()
    countdown = gate.window("Time left")
    shell = gate.xdotool("getwindowgeometry", "--shell", countdown).stdout
    place = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    screen = gate.xdotool("getdisplaygeometry").stdout.split()
    check((int(place["X"]) + int(place["WIDTH"]), int(place["Y"]) + int(place["HEIGHT"])) ==
          (int(screen[0]), int(screen[1])), f"the countdown is not in the corner: {place}")
    check(focused_window(gate.env) != countdown, "the countdown took the keyboard focus")
    notice = gate.window("Goodbye", timeout=20)
    gate.wait_ended(pid)
    gate.press(notice, "Return")
    gate.ends()


if __name__ == "__main__":
    sys.exit(main([warning_left_open, three_reminders, closing_time_cuts_limit]))
