#!/usr/bin/env python3
"""Porvane.exe: the idle end and its warning."""

import sys
import time

from gate import agree, case, check, log, main, notice_ends_everything

# The idle end: GetLastInputInfo counts input that reaches Wine's windows, so the pointer moves
# over the idle warning, as a user answering it would, and then off it to a corner of the screen
# where no window of Wine's is. The warning comes two seconds after the last input and input
# takes it away; rounds of that keep the session well past IdleSeconds, and without input it
# ends IdleSeconds after the last one, as at a time limit. Under Openbox: on a bare X server
# Wine waits up to two seconds for a window manager whenever a window hides, and the program's
# timers wait with it.
IDLE_SECONDS = 5


@case(openbox=True, IdleSeconds=str(IDLE_SECONDS), IdleWarnSeconds="3",
      CloseApplicationOnClose="True", ShowCloseDialog="True")
def idle(run):
    agree(run)
    last_input = None
    for step in range(3):
        warning = run.window("Still there?")
        check(run.helper_running(), "the application ended with the idle warning")
        run.xdotool("mousemove", "--window", warning, str(20 + 10 * step), "20")
        last_input = time.monotonic()
        # Off Wine's windows again: a window mapped under a resting pointer gets it as a
        # pointer event, which Wine counts as input.
        run.xdotool("mousemove", "1270", "1010")
        run.wait_hidden("Still there?", timeout=3)
    run.window("Session over", timeout=IDLE_SECONDS + 5)
    seconds = time.monotonic() - last_input
    log("idle end %.2f s after the last input (IdleSeconds=%d)" % (seconds, IDLE_SECONDS))
    check(seconds >= IDLE_SECONDS - 0.3, "the session ended before IdleSeconds")
    notice_ends_everything(run)


if __name__ == "__main__":
    sys.exit(main([idle]))
