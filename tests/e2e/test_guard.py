"""porvane-guard as a whole program: root on a private system bus with a mock logind, the
gates stand-ins run as nobody. Each case checks what only the running program shows: logind
asked to end the right session for the right reason, callers told apart by the bus, the
administrator's command line and its exit statuses, the day's allowance across a restart."""

import os
import signal
import sys
import time

from guard_world import run
from harness import check, main, wait_for

MANAGER_PATH = "/org/freedesktop/login1"
FAST = {"Users": "nobody", "GateSeconds": "1", "AgreeSeconds": "1", "GraceSeconds": "1"}


def agreed_gate(world, session="c1"):
    world.add_session(session)
    gate = world.gate(session)
    check(gate.ask("hello") == [1, session], "the gate was not told its session is guarded")
    return gate, gate.ask("agreed")


def no_gate(world):
    world.add_session("c1")
    world.wait_terminated("c1")
    check(world.said("c1", "no gate"), "no reason logged")


def no_agree(world):
    world.add_session("c1")
    world.gate("c1").ask("hello")
    world.wait_terminated("c1")
    check(world.said("c1", "nobody agreed"), "no reason logged")


def gate_killed(world):
    gate, answer = agreed_gate(world)
    check(answer == [-1, ""], f"Agreed answered {answer}")
    killed = time.time()
    gate.signal(signal.SIGKILL)
    ended = world.wait_terminated("c1")
    check(ended - killed < 2, f"ended {ended - killed:.2f} s after the kill")
    check(world.said("c1", "the gate ended"), "no reason logged")
    print(f"guard_gate_killed: TerminateSession {ended - killed:.3f} s after kill -9")


def gate_ends(world):
    gate, _ = agreed_gate(world)
    check(gate.ask("ending") == [], "Ending refused")
    gate.proc.stdin.close()  # the gate goes
    world.wait_terminated("c1")
    check(world.said("c1", "the gate ended"), "no reason logged")


def time_up_stopped_gate(world):
    # A gate that is stopped, not gone: only the guard's own end ends the session.
    gate, answer = agreed_gate(world)
    check(answer[0] in (1, 2), f"Agreed answered {answer}")
    gate.signal(signal.SIGSTOP)
    world.wait_terminated("c1")
    check(world.said("c1", "time is up"), "no reason logged")
    gate.signal(signal.SIGCONT)


def day_used(world):
    gate, answer = agreed_gate(world)
    check(answer[0] in (1, 2), f"Agreed answered {answer}")
    world.wait_terminated("c1")
    check(world.said("c1", "allowance"), "no reason logged")


def not_guarded(world):
    world.add_session("c2", kind="tty")
    world.add_session("c3", user="root", uid=0)
    check(world.gate("c2").ask("hello") == [0, "c2"], "a text session taken for guarded")
    world.add_session("c1")
    world.wait_terminated("c1")
    check([s for _, s in world.terminations()] == ["c1"], "an unguarded session was ended")
    check(set(world.status()) == {"c1"}, "status lists unguarded sessions")


def other_session(world):
    world.add_session("c1")
    world.add_session("c2", kind="tty")
    gate = world.gate("c1")
    gate.ask("hello")
    refused = "org.porvane.Guard1.Error.Refused"
    check(world.gate("c1").ask("hello") == refused, "a second gate in c1 took over")
    check(world.gate("c1").ask("agreed") == refused, "another process of c1 agreed")
    check(world.gate("c2").ask("agreed") == refused, "a process of c2 agreed")
    # Signals forged by a user, sent to the guard alone: logind's and the bus's own words are
    # only theirs.
    guard = world.owner("org.porvane.Guard")
    world.forge(guard, MANAGER_PATH, "org.freedesktop.login1.Manager.SessionRemoved",
                "string:c1", f"objpath:{MANAGER_PATH}/session/c1")
    world.forge(guard, "/org/freedesktop/DBus", "org.freedesktop.DBus.NameOwnerChanged",
                f"string:{gate.name}", f"string:{gate.name}", "string:")
    check(world.status()["c1"]["state"] == "policy", "c1 changed")
    check(not world.terminations(), "a forged signal ended c1")


def administrator(world):
    gate, answer = agreed_gate(world)
    nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
    rows = [
        (["extend", "c1", "60"], nobody, 1),
        (["end", "c1"], nobody, 1),
        (["extend", "c9", "60"], None, 1),
        (["extend", "c1", "soon"], None, 2),
        (["frobnicate"], None, 2),
        (["extend", "c1", "600"], None, 0),
    ]
    for args, user, status in rows:
        code, _ = world.ctl(*args, user=user)
        check(code == status, f"porvanectl {' '.join(args)} exited {code}, not {status}")
    heard = gate.read()
    check(heard["signal"] == "EndChanged" and heard["args"][0] > 600, f"the gate heard {heard}")
    check(world.status(user=nobody)["c1"]["secondsLeft"] > 600, "the extension did not count")
    # Malformed calls are refused on the bus and change nothing.
    for args in (["Extend", "s", "c1"], ["End", "u", "1"], ["Hello", "s", "x"]):
        check(not world.busctl("org.porvane.Guard", "/org/porvane/Guard", "org.porvane.Guard1",
                               *args), f"{args} was taken")
    check(not world.terminations(), "a malformed call ended a session")
    code, out = world.ctl("status")
    check(code == 0 and out.startswith("SESSION") and "c1" in out, f"plain status: {out}")
    check(world.ctl("end", "c1") == (0, ""), "root could not end c1")
    check(gate.read()["signal"] == "EndNow", "the gate was not told to end")
    world.wait_terminated("c1")
    world.stop_guard()
    check(world.ctl("status")[0] == 2, "no guard running is not exit 2")


def allowance_restart(world):
    _, answer = agreed_gate(world, "c1")
    check(answer == [6, ""], f"Agreed answered {answer}")
    wait_for(lambda: world.status()["c1"]["usedTodaySeconds"] >= 2, "two seconds used")
    world.remove_session("c1")
    world.stop_guard()
    world.start_guard()
    _, answer = agreed_gate(world, "c2")
    check(0 < answer[0] <= 4, f"after a restart the day gave {answer[0]} s")
    check(world.status()["c2"]["usedTodaySeconds"] >= 2, "the day's use was not kept")


# name: (the case, [Guard] keys, [Application] keys)
ROWS = {
    "guard_no_gate": (no_gate, FAST, {}),
    "guard_no_agree": (no_agree, FAST, {}),
    "guard_gate_killed": (gate_killed, dict(FAST, AgreeSeconds="0"), {}),
    "guard_gate_ends": (gate_ends, dict(FAST, AgreeSeconds="0"), {}),
    "guard_time_up_stopped_gate": (time_up_stopped_gate, FAST, {"ClosePorvaneInSeconds": "2"}),
    "guard_day_used": (day_used, dict(FAST, DailySeconds="2"), {}),
    "guard_not_guarded": (not_guarded, dict(FAST, Users="nobody root"), {}),
    "guard_other_session": (other_session, dict(FAST, AgreeSeconds="0", GateSeconds="60"), {}),
    "guard_administrator": (administrator, dict(FAST, DailySeconds="100"), {}),
    "guard_allowance_restart": (allowance_restart, dict(FAST, DailySeconds="6", GateSeconds="60"), {}),
}

CASES = {name: (lambda r=row: run(r[0], r[1], r[2])) for name, row in ROWS.items()}

if __name__ == "__main__":
    if os.geteuid() != 0:
        print("skipped: the guard runs as root and its gates as nobody", file=sys.stderr)
        sys.exit(77)
    sys.exit(main(CASES, needs=("PORVANE_GUARD", "PORVANE_CTL")))
