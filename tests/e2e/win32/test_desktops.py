#!/usr/bin/env python3
"""Porvane.exe: its windows' size, titles, frames and focus, bare and under Openbox."""

import os
import sys

from gate import WINE_TIMEOUT, case, check, disagree_by_click, main, policy_window, wait_for
from desktops import check_empty_title, check_fixed_window, focused_window, frame_extents


@case(PolicyWidth="640", PolicyHeight="480")
def outer_size(run):
    size = run.geometry(policy_window(run))
    check(size == (641, 481), "outer size %dx%d, expected 641x481 at 96 DPI" % size)
    disagree_by_click(run)


# Under a window manager: both windows untitled, so the titles must be exactly empty; both
# fixed (what Wine makes of our styles); the keyboard on Agree, then on OK.
@case(openbox=True, FormCaption="", CloseTitle="", ClosePorvaneAfterAgree="True",
      ShowCloseDialog="True")
def openbox(run):
    env = os.environ
    policy = wait_for(lambda: run.find(""), "an untitled policy window")[0]
    check_empty_title(env, policy, "the policy window")
    check_fixed_window(env, policy, "the policy window")
    # 640 x 480 configured: the frame Wine draws is all there is.
    check(run.geometry(policy) == (641, 481) and frame_extents(env, policy) == (0, 0, 0, 0),
          "the policy window is %s with a frame of %s, not 641x481 all told"
          % (run.geometry(policy), frame_extents(env, policy)))
    # Wine cannot ask the window manager for the focus; Openbox gives it to a new window off the
    # taskbar only when it is a dialog, which Wine makes of an owned pop-up.
    wait_for(lambda: focused_window(env) == policy, "the policy window to get the focus",
             WINE_TIMEOUT)
    run.xdotool("key", "Return")
    run.helper_pid()
    notice = wait_for(lambda: [w for w in run.find("") if w != policy],
                      "an untitled closing notice", WINE_TIMEOUT)[0]
    check_empty_title(env, notice, "the closing notice")
    check_fixed_window(env, notice, "the closing notice")
    wait_for(lambda: focused_window(env) == notice, "the closing notice to get the focus",
             WINE_TIMEOUT)
    run.xdotool("key", "Return")
    run.ends("Return on the notice")


if __name__ == "__main__":
    sys.exit(main([outer_size, openbox]))
