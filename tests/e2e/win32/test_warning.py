#!/usr/bin/env python3
"""Porvane.exe: the warnings before the time limit, and the closing time."""

import sys
import time

from gate import agree, case, check, main, notice_ends_everything


# The warning comes two seconds before the timed close; the application runs on, and the timed
# close still takes the warning away and ends everything, notice included. (That it leaves the
# keyboard alone is the backend test's.)
@case(ClosePorvaneInSeconds="4", CloseApplicationOnClose="True", ShowCloseDialog="True",
      WarnBeforeSeconds="2")
def warning(run):
    agree(run)
    run.window("Ending soon")
    check(run.helper_running(), "the application ended when the warning appeared")
    run.wait_hidden("Ending soon")
    notice_ends_everything(run)


# Three reminders in one short session: the warning comes at each, dismissed each time. Four
# seconds apart: under Wine, OK takes two seconds to return, and the session's time goes on.
@case(ClosePorvaneInSeconds="13", CloseApplicationOnClose="True", ShowCloseDialog="True",
      WarnBeforeSeconds="10, 6 2")
def reminders(run):
    agree(run)
    for _ in range(3):
        warning = run.window("Ending soon")
        # OK, from the form's layout: 4680, 1200 twips, 81 x 25 pixels.
        run.click(warning, 312 + 40, 80 + 12)
        run.wait_hidden("Ending soon")
    notice_ends_everything(run)


# A closing time a few seconds away cuts a limit of an hour.
def closing_time_in(seconds):
    return time.strftime("%H:%M:%S", time.localtime(time.time() + seconds))


@case(ClosePorvaneInSeconds="3600", CloseApplicationOnClose="True", ShowCloseDialog="True",
      CloseAt=lambda: closing_time_in(12))
def closing_time(run):
    agree(run)
    notice_ends_everything(run, timeout=25)


if __name__ == "__main__":
    sys.exit(main([warning, reminders, closing_time]))
