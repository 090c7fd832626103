"""Bad settings: a malformed value is reported and passed over; a missing file is fatal."""

import os
import sys

from harness import check, design_client, main, open_gate, settings


def malformed_width():
    text = settings(General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                             "PolicyWidth": "wide", "Application": "{application}"})
    gate = open_gate("malformed", text).start()
    notice = gate.window("Ini RW Class")
    # The notice comes from the load step, before the window is first shown.
    check(not gate.find(gate.caption), "the policy window was shown before the error notice")
    gate.press(notice, "Return")
    window = gate.window(gate.caption)
    width, _ = gate.geometry(window)
    designed, _ = design_client()
    check(width == designed, f"the policy window is {width} wide, not the designed {designed}")
    gate.press(window, "Tab", "Return")
    gate.ends()
    gate.check_nothing_started()
    ini = os.path.join(gate.folder, "Porvane.ini")
    expected = (f"Ini RW Class: {ini}: Error Number: 13; Type mismatch; "
                "Error getting Section = General - Key = PolicyWidth")
    check(gate.log_lines() == [expected], f"logged {gate.log_lines()}, not [{expected!r}]")


def no_settings_file():
    gate = open_gate("no-settings", "")
    gate.remove_settings()
    gate.start()
    # No title, blank buttons, the designed size, and the buttons still work.
    window = gate.window("")
    size = gate.geometry(window)
    check(size == design_client(),
          f"the policy window is {size}, not the designed {design_client()}")
    gate.press(window, "Tab", "Return")
    gate.ends()


def missing_policy_file():
    text = settings(General={"FormCaption": "{caption}", "PolicyFile": "absent.rtf",
                             "Application": "{application}"})
    gate = open_gate("missing-policy", text).start()
    box = gate.window("Porvane")
    check(not gate.find(gate.caption), "the policy window was shown without its document")
    gate.press(box, "Return")
    gate.ends(status=1)
    gate.check_nothing_started()
    # The box's text, logged on one line, names the policy as resolved beside the program.
    expected = ("Run-time error '53': File not found; "
                + os.path.join(gate.folder, "absent.rtf"))
    check(gate.log_lines() == [expected], f"logged {gate.log_lines()}, not [{expected!r}]")


def missing_program():
    text = settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "/nonexistent/prog"},
        Application={"CloseApplicationOnClose": "True"},
        Closing={"ShowCloseDialog": "True", "CloseTitle": "Bye"},
    )
    gate = open_gate("missing-program", text).start()
    gate.press(gate.window(gate.caption), "Return")
    box = gate.window("Porvane")
    gate.press(box, "Return")
    gate.ends(status=1)
    # A fatal error ends at once: no unload, so no closing notice either.
    check(not gate.find("Bye"), "the closing notice came after a fatal error")
    expected = "Run-time error '53': File not found; /nonexistent/prog"
    check(gate.log_lines() == [expected], f"logged {gate.log_lines()}, not [{expected!r}]")


if __name__ == "__main__":
    sys.exit(main([malformed_width, no_settings_file, missing_policy_file, missing_program]))
