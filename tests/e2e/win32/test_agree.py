#!/usr/bin/env python3
"""Porvane.exe: Agree starts the application, and the time limit ends it with the session."""

import sys

from gate import agree, case, check, log, main, notice_ends_everything


@case(ClosePorvaneInSeconds="2", CloseApplicationOnClose="True", ShowCloseDialog="True")
def typical(run):
    log("application started, pid %d" % agree(run))
    check(run.helper_running(), "the application is not running")
    notice_ends_everything(run, timeout=15)


if __name__ == "__main__":
    sys.exit(main([typical]))
