"""The settings checker agrees with the gate: both read the same files, and every notice and
fatal error the gate showed is one the checker predicted, and nothing else."""

import json
import os
import re
import subprocess
import sys
import time

from harness import POLL, TIMEOUT, Failure, check, main, open_gate, settings

NOTICE = re.compile(r"Ini RW Class: .*: Error Number: (-?\d+); .*; "
                    r"Error getting Section = (.*) - Key = (.*)$")
FATAL = re.compile(r"Run-time error '(-?\d+)': [^;]*(?:; (.*))?$")


def run_checker(gate):
    result = subprocess.run([os.environ["PORVANE_CHECK"], "--json",
                             os.path.join(gate.folder, "Porvane.ini")],
                            capture_output=True, text=True, timeout=TIMEOUT)
    report = json.loads(result.stdout)
    errors = [p for p in report["problems"] if p["severity"] == "error"]
    check(result.returncode == (1 if errors else 0),
          f"checker exit status {result.returncode} with {len(errors)} errors")
    return report


def predicted(report):
    """(notices, fatal) the checker says the gate will show when Agree is pressed."""
    notices, fatal = set(), None
    for p in report["problems"]:
        # Errors without a number are keys the gate never reads: it shows nothing for them.
        if p["severity"] != "error" or p["error"] == 0:
            continue
        if p["key"] in ("PolicyFile", "Application"):
            # The policy is loaded at start, the program only on Agree: the first one ends it.
            if fatal is None or p["key"] == "PolicyFile":
                fatal = p["error"]
        else:
            notices.add((p["error"], p["section"], p["key"]))
    return notices, fatal


def drive(gate, report):
    """Dismisses notices, presses Agree once, dismisses a fatal box; returns the exit status."""
    title = report["settings"]["General"]["FormCaption"]
    agreed = False
    deadline = time.monotonic() + 3 * TIMEOUT
    while gate.proc.poll() is None:
        if time.monotonic() > deadline:
            raise Failure("the program did not end")
        for box in ("Ini RW Class", "Porvane"):
            for window in gate.find(box):
                gate.press(window, "Return")
        if not agreed and gate.find(title):
            gate.press(gate.find(title)[0], "Return")  # Agree has the focus
            agreed = True
        time.sleep(POLL)
    return gate.proc.returncode


def agrees_with_gate():
    rows = {
        "bad values and a missing program": settings(
            General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf", "PolicyWidth": "wide",
                     "PolicyHeight": "40000", "Application": "/nonexistent/prog -x"},
            Application={"ClosePorvaneInSeconds": "soon"}),
        "missing policy": settings(
            General={"FormCaption": "{caption}", "PolicyFile": "absent.rtf",
                     "Application": "{application}"}),
        "a notice at the end and a program started": settings(
            General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                     "Application": "{application}"},
            Application={"ClosePorvaneAfterAgree": "True"},
            Closing={"ShowCloseDialog": "maybe"}),
    }
    for name, text in rows.items():
        gate = open_gate(name.split()[0], text)
        report = run_checker(gate)
        notices, fatal = predicted(report)
        status = drive(gate.start(), report)
        shown_notices, shown_fatal = set(), None
        for line in gate.log_lines():
            if m := NOTICE.match(line):
                shown_notices.add((int(m[1]), m[2], m[3]))
            elif m := FATAL.match(line):
                shown_fatal = int(m[1])
        check(shown_notices == notices,
              f"{name}: the gate showed notices {shown_notices}, the checker predicted {notices}")
        check(shown_fatal == fatal,
              f"{name}: the gate's fatal error {shown_fatal}, the checker predicted {fatal}")
        check(status == (1 if fatal else 0), f"{name}: exit status {status}")
        if report["program"] is not None and fatal is None:
            check(report["program"]["path"] == os.environ["PORVANE_RECORDER"],
                  f"{name}: the checker predicted {report['program']}")
            gate.started()


if __name__ == "__main__":
    sys.exit(main([agrees_with_gate]))
