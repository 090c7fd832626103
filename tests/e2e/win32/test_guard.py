#!/usr/bin/env python3
"""Whole-program tests of PorvaneGuard.exe, the guard's Windows service, under Wine: installed
with sc, spoken to by PorvaneCtl.exe and by a fake gate (tests/win32/guard/fakegate.cpp) over its
pipe. Wine runs services and named pipes, but its WTSLogoffSession fails (error 120), it sends
no session-change notices and everything runs in one session (1) as the Unix user: so the cases
check the guard's decisions and its call of the log-off in guard.log, not the log-off itself.
Each case runs in a Wine prefix of its own (tests/e2e/CMakeLists.txt).

Usage: test_guard.py --list | CASE, with PORVANE_GUARD, PORVANE_CTL, PORVANE_FAKEGATE, the
gate's PORVANE_EXE, PORVANE_HELPER and PORVANE_POLICY, and WINEPREFIX set; on an X display.
"""

import json
import os
import pwd
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness import check, main, open_wine_gate, open_wine_guard, read_text, wait_for  # noqa: E402
from gate import agree, ini  # noqa: E402

# Wine's one session belongs to the Unix user that runs it.
USER = pwd.getpwuid(os.getuid()).pw_name
GUARDED = (f"[Application]\nClosePorvaneInSeconds=3600\n"
           f"[Guard]\nUsers={USER}\nGateSeconds=600\n")


def guard_service_runs():
    """sc installs, starts, stops and removes it; with no [Guard] keys it guards no one."""
    guard = open_wine_guard("service", "[Application]\nLogOffOnClose=False\n")
    status, _ = guard.ctl("status")
    check(status == 2, f"PorvaneCtl status with no guard: exit {status}, expected 2")
    guard.install().start()
    check(guard.state() == "RUNNING", f"the service is {guard.state()}, not RUNNING")
    guard.wait_log("guarding no one")
    check(guard.send("send", "HELLO") == "OK UNGUARDED", "a session no one guards")
    guard.sc("stop", "PorvaneGuard")
    wait_for(lambda: guard.state() == "STOPPED", "the service to stop")
    guard.sc("delete", "PorvaneGuard")
    guard.installed = False
    check(guard.state() is None, "the service is still there after sc delete")


def ends(name, guard_keys, act, reason, application=""):
    """A case of one of the guard's ends: with these [Guard] keys (and [Application] keys), after
    act(guard), the guard ends session 1 for `reason` and calls the log-off."""
    def body():
        ini = f"[Application]\n{application}[Guard]\nUsers={USER}\n{guard_keys}"
        guard = open_wine_guard(name, ini).install().start()
        act(guard)
        guard.wait_log(f"session 1 ({USER}): ended: {reason}")
        guard.wait_log("the log-off of session 1 failed: error 120")
    body.__name__ = name
    return body


def suspend(guard):
    """The agreed gate stopped, as "Suspend process" does: it holds nothing."""
    guard.fake_gate()
    os.kill(guard.gates[-1].pid, signal.SIGSTOP)


def kill(guard):
    _, pid = guard.fake_gate()
    guard.wine("taskkill", "/f", "/pid", str(pid))


# The five ends, each for its reason. Wine has no log-on to wait for: session 1 is there when the
# guard starts.
END_CASES = [
    ends("guard_no_gate", "GateSeconds=2\n", lambda guard: None, "no gate made itself known in time"),
    ends("guard_no_agree", "AgreeSeconds=2\n", lambda guard: guard.fake_gate(agree=False),
         "nobody agreed in time"),
    ends("guard_gate_ended", "", kill, "the gate ended"),
    ends("guard_suspended_gate", "GraceSeconds=1\n", suspend, "time is up",
         application="ClosePorvaneInSeconds=2\n"),
    ends("guard_day_used", "DailySeconds=2\nGraceSeconds=1\n", suspend,
         "the day's allowance is used up"),
]


def guard_day_kept():
    """The day's use outlives the guard: started again, it tells the next gate that nothing is
    left, in the settings' words."""
    ini = (f"[Guard]\nUsers={USER}\nDailySeconds=2\nGraceSeconds=1\n"
           "DayUsedText=Enough for today.\n")
    guard = open_wine_guard("day", ini).install().start()
    suspend(guard)
    guard.wait_log(f"session 1 ({USER}): ended: the day's allowance is used up")
    guard.restart()
    heard, _ = guard.fake_gate("again")
    check(guard.heard(heard)[2] == "OK 0 Enough for today.", f"the gate heard {guard.heard(heard)}")


def guard_malformed_message():
    """A malformed or overlong message is refused, and the guard serves the next caller."""
    guard = open_wine_guard("malformed", GUARDED).install().start()
    for how, message in (("send", "HELLO  again"), ("send", "hello"), ("send", "END ..\\1"),
                         ("send", "EXTEND 1 1e9"), ("long", "")):
        reply = guard.send(how, message)
        check(reply == "ERR REFUSED", f"{how} {message!r}: {reply!r}")
    guard.wait_log("refused process")
    check(guard.state() == "RUNNING", "the guard stopped after malformed messages")
    heard, _ = guard.fake_gate()
    check(guard.heard(heard)[1] == "OK GUARDED 1", f"the gate heard {guard.heard(heard)}")


def guard_ctl():
    """PorvaneCtl.exe status, extend and end, and its exit statuses; the gate hears of both."""
    guard = open_wine_guard("ctl", GUARDED).install().start()
    heard, _ = guard.fake_gate()
    check(guard.heard(heard)[1:3] == ["OK GUARDED 1", "OK 3600"],
          f"the gate heard {guard.heard(heard)}")

    status, out = guard.ctl("status", "--json")
    check(status == 0, f"status --json: exit {status}")
    sessions = json.loads(out)["sessions"]
    check([(s["id"], s["user"], s["state"]) for s in sessions] == [("1", USER, "agreed")],
          f"status --json: {out}")
    status, out = guard.ctl("status")
    check(status == 0 and out.splitlines()[0].split() ==
          ["SESSION", "USER", "STATE", "AGREED", "LEFT", "USED"], f"status: {out}")

    for args, expected in ((("extend", "1", "120"), 0), (("extend", "9", "60"), 1),
                           (("end", "9"), 1), (("extend", "1"), 2), (("extend", "1", "1.5"), 2),
                           (("stop",), 2), ((), 2), (("--version",), 0)):
        status, out = guard.ctl(*args)
        check(status == expected, f"PorvaneCtl {' '.join(args)}: exit {status}, expected "
                                  f"{expected} ({out})")
    wait_for(lambda: any(line in guard.heard(heard) for line in ("ENDCHANGED 3720", "ENDCHANGED 3719")),
             "the gate to hear of the extension")

    status, _ = guard.ctl("end", "1")
    check(status == 0, f"end 1: exit {status}")
    # The gate ends in order, then the guard ends the session.
    wait_for(lambda: guard.heard(heard)[-2:] == ["ENDNOW", "OK"], "the gate to end in order")
    guard.wait_log(f"session 1 ({USER}): the administrator ends it")
    guard.wait_log("the log-off of session 1 failed: error 120")


def windows_pid(guard, image):
    """The Windows process id of the one running program of this image, as wmic lists them
    (Wine's tasklist lists none)."""
    def find():
        out = subprocess.run(["wine", "wmic", "process", "get", "name,processid"], env=guard.env,
                             capture_output=True, timeout=guard.timeout).stdout
        rows = [line.split() for line in out.decode("utf-16", "replace").splitlines()]
        pids = [row[1] for row in rows if len(row) == 2 and row[0].lower() == image.lower()]
        return pids[0] if len(pids) == 1 else None
    return wait_for(find, f"{image} among the processes")


def guard_real_gate():
    """Porvane.exe beside the guard: its Agree reaches the guard, the guard's end and an
    extension reach its countdown, it makes itself known again to a guard that restarts, and
    when it is killed the guard ends the session."""
    guard = open_wine_guard("real", GUARDED).install().start()
    # The gate itself sets no end: what its countdown shows is the guard's.
    run = open_wine_gate("real_gate", ini(ShowTimeLeft="True"))
    countdown = run.watch_text("Time left")
    agree(run.start())

    def agreed():
        status, out = guard.ctl("status", "--json")
        return status == 0 and [s["state"] for s in json.loads(out)["sessions"]] == ["agreed"]
    wait_for(agreed, "the guard to see the session agreed")

    def shows(*prefixes):
        texts = [line.partition(" ")[2] for line in (read_text(countdown) or "").splitlines()]
        return any(text.startswith(prefixes) for text in texts)
    wait_for(lambda: shows("1:00:00", "59:5"), "the countdown to show the guard's hour")
    status, out = guard.ctl("extend", "1", "120")
    check(status == 0, f"extend 1 120: exit {status} ({out})")
    wait_for(lambda: shows("1:01:5", "1:02:00"), "the countdown to show the extension")

    # A guard that starts anew (an upgrade, say) hears from the gate again, or it would end the
    # session for want of a gate; the killed gate below is then this guard's to see.
    here = f"session 1 ({USER}): its gate is here"
    before = guard.log().count(here)
    guard.restart()
    wait_for(lambda: guard.log().count(here) > before, "the gate's Hello to the restarted guard")
    wait_for(agreed, "the restarted guard to see the session agreed")

    guard.wine("taskkill", "/f", "/pid", windows_pid(guard, "Porvane.exe"))
    log = guard.wait_log(f"session 1 ({USER}): ended: the gate ended")
    check("its gate is ending" not in log, "a killed gate was taken for one ending in order")


CASES = [guard_service_runs, *END_CASES, guard_day_kept, guard_malformed_message, guard_ctl,
         guard_real_gate]

if __name__ == "__main__":
    raise SystemExit(main(CASES, needs=("PORVANE_GUARD", "PORVANE_CTL", "PORVANE_FAKEGATE",
                                        "PORVANE_EXE", "PORVANE_HELPER", "PORVANE_POLICY",
                                        "WINEPREFIX")))
