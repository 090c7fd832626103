#!/usr/bin/env python3
"""Porvane.exe: a malformed value is reported and passed over; a missing policy is fatal."""

import sys
import time

from gate import case, check, disagree_by_click, log, main, policy_window


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


if __name__ == "__main__":
    sys.exit(main([ini_error, missing_policy]))
