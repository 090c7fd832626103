#!/usr/bin/env python3
"""Porvane.exe: an end asked for from outside."""

import subprocess
import sys

from gate import WINE_TIMEOUT, agree, case, check, log, main


# `taskkill /im` without /f posts WM_CLOSE to every top-level window of the process, the hidden
# ones included: after Agree an end asked for from outside, handled as SIGTERM is on Linux. The
# program ends in order at once, notice or not, and the time limit's termination of the
# application still happens; nothing runs on with no window.
@case(CloseApplicationOnClose="True", ShowCloseDialog="True")
def taskkill(run):
    agree(run)
    r = subprocess.run(["wine", "taskkill", "/im", "Porvane.exe"], capture_output=True,
                       text=True, timeout=WINE_TIMEOUT, env=run.env)
    log("taskkill: status %d, %s" % (r.returncode, (r.stdout + r.stderr).strip()))
    check(r.returncode == 0, "taskkill found no window of Porvane.exe to close")
    run.ends("taskkill")
    check(not run.helper_running(), "the application still runs after Porvane ended")


if __name__ == "__main__":
    sys.exit(main([taskkill]))
