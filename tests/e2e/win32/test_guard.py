#!/usr/bin/env python3
"""Whole-program tests of PorvaneGuard.exe, the guard's Windows service, under Wine: installed
with sc, spoken to by PorvaneCtl.exe and by a fake gate (tests/win32/guard/fakegate.cpp) over its
pipe. Wine runs services and named pipes, but its WTSLogoffSession fails (error 120), it sends
no session-change notices and everything runs in one session (1) as the Unix user: so the cases
check the guard's decisions and its call of the log-off in guard.log, not the log-off itself.
Each case runs in a Wine prefix of its own (tests/e2e/CMakeLists.txt).

Usage: test_guard.py --list | CASE, with PORVANE_GUARD, PORVANE_CTL, PORVANE_FAKEGATE and
WINEPREFIX set.
"""

import json
import os
import pwd
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness import check, main, open_wine_guard, wait_for  # noqa: E402

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


CASES = [guard_service_runs, *END_CASES, guard_day_kept, guard_malformed_message, guard_ctl]

if __name__ == "__main__":
    raise SystemExit(main(CASES, needs=("PORVANE_GUARD", "PORVANE_CTL", "PORVANE_FAKEGATE",
                                        "WINEPREFIX")))
