"""Ended from outside (SIGTERM): an orderly end, so the time limit still ends the application;
and with a fatal error's box on screen, the end that the box's OK would bring."""

import signal
import sys

from harness import check, is_running, main, open_gate, settings

# name: (agree first, CloseApplicationOnClose at start, and after Agree, ShowCloseDialog,
#        application ended afterwards)
ROWS = {
    "sigterm_hidden_ends_application": (True, "True", "True", "False", True),
    "sigterm_hidden_leaves_application": (True, "False", "False", "False", False),
    # The notice that unloading shows must not keep a program that is told to end alive.
    "sigterm_hidden_with_notice": (True, "True", "True", "True", True),
    "sigterm_shown_starts_nothing": (False, "True", "True", "False", None),
    # The setting is read when the program ends, not when it starts.
    "sigterm_reads_setting_at_end": (True, "False", "True", "False", True),
}


def sigterm_settings(close_app, show_notice):
    return settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "{application}"},
        Application={"CloseApplicationOnClose": close_app},
        Closing={"ShowCloseDialog": show_notice, "CloseTitle": "Bye"},
    )


def sigterm(name):
    agree, close_app, close_app_later, show_notice, app_ended = ROWS[name]
    gate = open_gate(name, sigterm_settings(close_app, show_notice)).start()
    window = gate.window(gate.caption)
    pid = None
    if agree:
        gate.press(window, "Return")
        gate.wait_hidden(gate.caption)
        pid, _ = gate.started()
        gate.write_settings(sigterm_settings(close_app_later, show_notice))
    gate.signal(signal.SIGTERM)
    gate.ends()
    if pid is None:
        gate.check_nothing_started()
    elif app_ended:
        gate.wait_ended(pid)
    else:
        check(is_running(pid), "the application was ended although CloseApplicationOnClose=False")


# name: (PolicyFile, Application, agree first): the box comes at start, before the event loop
# runs, or on Agree, inside it.
FATAL_ROWS = {
    "sigterm_fatal_box_at_start": ("absent.rtf", "{application}", False),
    "sigterm_fatal_box_on_agree": ("policy.rtf", "/nonexistent/program", True),
}


def sigterm_fatal_box(name):
    policy, application, agree = FATAL_ROWS[name]
    gate = open_gate(name, settings(
        General={"FormCaption": "{caption}", "PolicyFile": policy, "Application": application},
    )).start()
    if agree:
        gate.press(gate.window(gate.caption), "Return")
    gate.window("Porvane")
    gate.signal(signal.SIGTERM)
    gate.ends(status=1, what="SIGTERM with the fatal box up")
    gate.check_nothing_started()


CASES = {name: (lambda n=name: sigterm(n)) for name in ROWS}
CASES.update({name: (lambda n=name: sigterm_fatal_box(n)) for name in FATAL_ROWS})

if __name__ == "__main__":
    sys.exit(main(CASES))
