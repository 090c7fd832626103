#!/usr/bin/env python3
"""Porvane.exe: LogOffOnClose."""

import subprocess
import sys

from gate import WINE_TIMEOUT, agree, case, check, main, wait_for

# After the time limit's end, the log-off ends the session's other programs, here Notepad
# started beside Porvane; without the key it runs on. (Wine's log-off asks every window to end
# its session and ends the programs that agree; a program with no window is left, where Windows
# would end it with the session. CMake runs these in a Wine prefix of their own: the log-off
# reaches every program of the prefix.)
LOG_OFF = {"log_off": ("True", False), "no_log_off": ("False", True)}


def log_off(name):
    key, survives = LOG_OFF[name]

    def body(run):
        run.bystander = subprocess.Popen(["wine", "notepad.exe"], env=run.env,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        notepad = wait_for(lambda: run.xdotool("search", "--onlyvisible", "--name",
                                               "^Untitled - Notepad$").split(), "Notepad")[0]
        run.xdotool("windowmove", notepad, "900", "800")  # out of the policy window's way
        agree(run)
        run.ends("the time limit")
        check(not run.helper_running(), "the application still runs")
        try:
            run.bystander.wait(WINE_TIMEOUT if not survives else 2)
            gone = True
        except subprocess.TimeoutExpired:
            gone = False
        check(gone != survives, "Notepad beside Porvane %s" % (
            "was ended without LogOffOnClose" if survives else "still runs after the log-off"))
    return body


CASES = [case(name=name, ClosePorvaneInSeconds="1", CloseApplicationOnClose="True",
              LogOffOnClose=key)(log_off(name))
         for name, (key, _) in LOG_OFF.items()]

if __name__ == "__main__":
    sys.exit(main(CASES))
