"""Declining: Disagree or the close box ends the program and starts nothing."""

import sys

from harness import main, open_gate, settings


def declining_settings(show_notice):
    return settings(
        General={"FormCaption": "{caption}", "AgreeCaption": "Agree",
                 "DisagreeCaption": "Disagree", "PolicyFile": "policy.rtf",
                 "Application": "{application}"},
        Application={"CloseApplicationOnClose": "True"},
        Closing={"ShowCloseDialog": show_notice, "CloseTitle": "Bye", "CloseText": "Declined."},
    )


def disagree():
    gate = open_gate("disagree", declining_settings("False")).start()
    # Agree has the focus; the next control in tab order is Disagree.
    gate.press(gate.window(gate.caption), "Tab", "Return")
    gate.ends()
    gate.check_nothing_started()


def close_boxes():
    gate = open_gate("close-box", declining_settings("True")).start()
    gate.close_request(gate.window(gate.caption))
    # The close box counts as Disagree: the notice comes, the policy window goes.
    notice = gate.window("Bye")
    gate.wait_hidden(gate.caption)
    gate.check_alive("the notice's close box")
    gate.close_request(notice)
    gate.ends()
    gate.check_nothing_started()


if __name__ == "__main__":
    sys.exit(main([disagree, close_boxes]))
