"""Ended from outside (SIGTERM): an orderly end, so the time limit still ends the application."""

import signal
import sys

from harness import check, is_running, main, open_gate, settings

# name: (agree first, CloseApplicationOnClose, ShowCloseDialog, application ended afterwards)
ROWS = {
    "sigterm_hidden_ends_application": (True, "True", "False", True),
    "sigterm_hidden_leaves_application": (True, "False", "False", False),
    # The notice that unloading shows must not keep a program that is told to end alive.
    "sigterm_hidden_with_notice": (True, "True", "True", True),
    "sigterm_shown_starts_nothing": (False, "True", "False", None),
}


def sigterm(name):
    agree, close_app, show_notice, app_ended = ROWS[name]
    text = settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "{application}"},
        Application={"CloseApplicationOnClose": close_app},
        Closing={"ShowCloseDialog": show_notice, "CloseTitle": "Bye"},
    )
    gate = open_gate(name, text).start()
    window = gate.window(gate.caption)
    pid = None
    if agree:
        gate.press(window, "Return")
        gate.wait_hidden(gate.caption)
        pid, _ = gate.started()
    gate.signal(signal.SIGTERM)
    status = gate.wait_exit()
    check(status == 0, f"exit status {status}, not 0 after an orderly end")
    if pid is None:
        gate.check_nothing_started()
    elif app_ended:
        gate.wait_ended(pid)
    else:
        check(is_running(pid), "the application was ended although CloseApplicationOnClose=False")


CASES = {name: (lambda n=name: sigterm(n)) for name in ROWS}

if __name__ == "__main__":
    sys.exit(main(CASES))
