#!/usr/bin/env python3
"""Porvane.exe: the time limit ends the whole application, and nothing else."""

import os
import subprocess
import sys
import time

from gate import WINE_TIMEOUT, agree, case, check, ini, log, main, wait_for
from harness import Failure, read_text

# The application is a launcher: cmd's `start` runs the helper and cmd is gone at once. The
# helper records itself in files named relative to its working folder, Porvane's; the same
# helper with the same arguments runs beside it, started outside Porvane, and must never be
# touched.
LAUNCHER = 'cmd.exe /c start "" @HELPER_EXE@ pid.txt beat.txt'

# name: (how Porvane ends, CloseApplicationOnClose at Agree and at the end, the application
#        ended)
WHOLE_APPLICATION = {
    "launcher_time_limit": ("time", "True", "True", True),
    "launcher_gate_killed": ("kill", "True", "True", True),
    "setting_off_at_end": ("time", "True", "False", False),
    "setting_off_gate_killed": ("kill", "False", "False", False),
}


def whole_application_keys(how, close_app):
    return dict(Application=LAUNCHER, ClosePorvaneInSeconds="3" if how == "time" else "600",
                CloseApplicationOnClose=close_app, ShowCloseDialog="True")


def last_beat(beat_file):
    """The wall-clock time of the helper's last heartbeat, once its heartbeat has stopped."""
    last, changed = read_text(beat_file), time.monotonic()
    deadline = changed + WINE_TIMEOUT
    while time.monotonic() - changed < 0.5:
        if time.monotonic() > deadline:
            raise Failure("the application still runs %.0f s after Porvane was killed"
                          % WINE_TIMEOUT)
        time.sleep(0.02)
        beat = read_text(beat_file)
        if beat != last:
            last, changed = beat, time.monotonic()
    return os.path.getmtime(beat_file)


def whole_application(name):
    how, _, close_later, ended = WHOLE_APPLICATION[name]

    def body(run):
        bystander = run.start_bystander()
        agree(run)
        if how == "time":
            # The time limit reads the setting as it ends the session, before the notice.
            run.write_settings(ini(**whole_application_keys(how, close_later)))
            notice = run.window("Session over")
            if ended:
                wait_for(lambda: not run.helper_running(),
                         "the application to end before the notice's OK")
            time.sleep(0.3)
            run.press(notice, "Return")
            run.ends("OK")
        else:
            r = subprocess.run(["wine", "taskkill", "/f", "/im", "Porvane.exe"],
                               capture_output=True, text=True, timeout=WINE_TIMEOUT, env=run.env)
            killed = time.time()
            check(r.returncode == 0, "taskkill /f: %s" % (r.stdout + r.stderr).strip())
            run.wait_exit()
        if ended and how == "kill":
            log("the application's last heartbeat (one every 100 ms) came %+.0f ms from "
                "taskkill /f's return" % ((last_beat(run.beat_file) - killed) * 1000))
            check(not run.helper_running(),
                  "the application's heartbeat stopped, but it still runs")
        elif ended:
            check(not run.helper_running(), "the application still runs")
        else:
            # Kill-on-close acts as the wineserver lets go of Porvane: two samples leave it time.
            check(run.helper_running() and run.helper_running(), "the application was ended")
        check(run.helper_running(bystander), "the helper started outside Porvane was ended")
    return body


CASES = [case(name=name, **whole_application_keys(how, close_app))(whole_application(name))
         for name, (how, close_app, _, _) in WHOLE_APPLICATION.items()]

if __name__ == "__main__":
    sys.exit(main(CASES))
