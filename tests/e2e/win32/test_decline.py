#!/usr/bin/env python3
"""Porvane.exe: Disagree, by the mouse and by the keyboard, starts nothing."""

import os
import sys
import time

from gate import case, check, disagree_by_click, main, policy_window


@case()
def disagree(run):
    disagree_by_click(run)
    time.sleep(0.5)
    check(not os.path.exists(run.pid_file), "Disagree started the application")


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


if __name__ == "__main__":
    sys.exit(main([disagree, keyboard]))
