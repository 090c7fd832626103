"""Agree: the application starts, the gate closes itself, the application ends with the time."""

import sys
import time

from harness import check, is_running, main, open_gate, settings, wait_for

TYPICAL = settings(
    General={
        "FormCaption": "{caption}",
        "AgreeCaption": "Agree",
        "DisagreeCaption": "Disagree",
        "PolicyFile": "policy.rtf",
        "PolicyWidth": "640",
        "PolicyHeight": "480",
        "Application": "{application}",
    },
    Application={"ClosePorvaneInSeconds": "2", "CloseApplicationOnClose": "True"},
    Closing={"ShowCloseDialog": "True", "CloseTitle": "Time is up", "CloseText": "Goodbye."},
)


def typical_run():
    gate = open_gate("typical", TYPICAL, app_args=["first arg", "second"]).start()
    window = gate.window(gate.caption)
    # Asked for 640 x 480, the window is one pixel larger each way, as it always was.
    size = gate.geometry(window)
    check(size == (641, 481), f"the policy window is {size[0]} x {size[1]}, not 641 x 481")

    agreed = time.monotonic()
    gate.press(window, "Return")
    gate.wait_hidden(gate.caption)
    pid, args = gate.started()
    check(args == ["first arg", "second"], f"the application got the arguments {args}")

    notice = gate.window("Time is up")
    waited = time.monotonic() - agreed
    check(waited > 1.5, f"the timed close of 2 s came {waited:.2f} s after Agree")
    # The time limit ends the application at once; the notice only tells the user, and waits.
    gate.wait_ended(pid)
    check(gate.find("Time is up"), "the closing notice went before it was dismissed")

    gate.press(notice, "Return")
    gate.ends()


# name: (CloseApplicationOnClose, the application runs on after the program ended)
CLOSE_AFTER_AGREE = {
    "close_after_agree_ends_application": ("True", False),
    "close_after_agree_leaves_application": ("False", True),
}


def close_after_agree(name):
    close_app, runs_on = CLOSE_AFTER_AGREE[name]
    text = settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "{application}"},
        Application={"ClosePorvaneAfterAgree": "true", "CloseApplicationOnClose": close_app},
    )
    gate = open_gate(name, text).start()
    gate.press(gate.window(gate.caption), "Return")
    if runs_on:
        pid, _ = gate.started()
    gate.ends()
    if runs_on:
        check(is_running(pid), "the application was ended although CloseApplicationOnClose=False")
    else:
        # Ended at once, often before it could write its record: look for it by its arguments.
        wait_for(lambda: not gate.applications_alive(), "the started application to end")


CASES = {"typical_run": typical_run}
CASES.update({name: (lambda n=name: close_after_agree(n)) for name in CLOSE_AFTER_AGREE})

if __name__ == "__main__":
    sys.exit(main(CASES))
