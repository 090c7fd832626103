"""The time-limit warning: it appears before the timed close without taking the keyboard, the
application runs on meanwhile, and the timed close still ends everything while it is open."""

import sys

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


if __name__ == "__main__":
    sys.exit(main([warning_left_open]))
