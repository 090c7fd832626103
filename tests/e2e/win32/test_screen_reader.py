#!/usr/bin/env python3
"""Porvane.exe: the countdown, read as a screen reader reads it."""

import sys

from gate import agree, case, check, log, main, notice_ends_everything
from desktops import focused_window
from harness import read_text, wait_for


def watched(path):
    """The (ms, text) lines the watcher wrote, once it saw the window go."""
    def done():
        text = read_text(path) or ""
        return text if text.endswith("gone") else None
    text = wait_for(done, "the countdown to go", timeout=30)
    # The control reads empty once its window is being destroyed.
    return [(int(ms), value) for ms, _, value in
            (line.partition(" ") for line in text.splitlines()) if value]


# The countdown, read as a screen reader reads it while it runs: every second down to 0:01, then
# the session ends with it, the application at once, the notice waiting for its OK. It leaves
# the keyboard with the application.
@case(ClosePorvaneInSeconds="5", CloseApplicationOnClose="True", ShowCloseDialog="True",
      ShowTimeLeft="True")
def countdown(run):
    out = run.watch_text("Time left")
    agree(run)
    window = run.window("Time left")
    check(focused_window(run.env) != window, "the countdown took the keyboard focus")
    lines = watched(out)
    texts = [text for _, text in lines]
    log("countdown read: %s" % texts)
    check(texts[-2:] == ["0:01", "gone"] and {"0:04", "0:03", "0:02"} <= set(texts),
          "the countdown read %s" % texts)
    last = next(ms for ms, text in lines if text == "0:01")
    log("the countdown's last second, 0:01, showed %d ms before the end" % (lines[-1][0] - last))
    notice_ends_everything(run)


if __name__ == "__main__":
    sys.exit(main([countdown]))
