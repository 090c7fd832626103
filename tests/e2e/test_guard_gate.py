"""The gate and the guard: at start the gate makes itself known, at Agree it reports and takes
the guard's end, its countdown and end follow what the guard sends it later, and at its orderly
end it says so; a session the guard does not guard is today's gate. The guard here is
fake_guard.py on a private bus that the gate takes for the system bus (DBUS_SYSTEM_BUS_ADDRESS);
in gate_with_the_real_guard it is porvane-guard as root, beside python3-dbusmock's logind
(guard_world.py), and the gate runs as nobody."""

import os
import subprocess
import sys

from guard_world import NOBODY, World
from harness import check, main, open_gate, settings, wait_for

# The system's own Python: dbus-python and GLib are Debian packages.
SYSTEM_PYTHON = "/usr/bin/python3"
FAKE_GUARD = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fake_guard.py")
GATE_CALLS = ("Hello", "Agreed", "Ending")


class GuardBus:
    """A private bus with a guard on it; the guard's standard output is its log of calls, its
    standard input what it is to send to the gate."""

    def __init__(self, env, root, guard):
        self.procs = []
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                               env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.procs.append(bus)
        self.address = bus.stdout.readline().decode().strip()
        check(self.address, "dbus-daemon did not report its address")
        self.env = dict(env, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        self.out = os.path.join(root, "guard.out")
        with open(self.out, "wb") as out:
            self.guard = subprocess.Popen(guard, env=self.env, stdin=subprocess.PIPE, stdout=out,
                                          stderr=subprocess.STDOUT)
        self.procs.append(self.guard)
        wait_for(lambda: "ready" in self.lines(), "the guard on the bus")

    def lines(self):
        with open(self.out, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()

    def said(self, what):
        """The unique bus names that made this call or were sent this, oldest first."""
        return [line.split()[-1] for line in self.lines() if line.rsplit(" ", 1)[0] == what]

    def calls(self):
        return [line.split()[0] for line in self.lines() if line.split()[0] in GATE_CALLS]

    def send(self, line):
        self.guard.stdin.write((line + "\n").encode())
        self.guard.stdin.flush()

    def stop(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
            proc.wait()


def fake_guard(guarded, seconds_left, message=""):
    return [SYSTEM_PYTHON, FAKE_GUARD, "true" if guarded else "false", str(seconds_left),
            message]


# name: (the guard's answers to Hello and Agreed, ClosePorvaneInSeconds, what the guard sends
#        once the gate agreed, the calls the guard sees)
ROWS = {
    # No time limit of its own: the countdown shows only because the guard gives an end.
    "gate_end_moved_by_guard": (fake_guard(True, 3600), "", "EndChanged 1", list(GATE_CALLS)),
    "gate_ended_by_guard": (fake_guard(True, -1), "", "EndNow", list(GATE_CALLS)),
    "gate_day_used_up": (fake_guard(True, 0, "Nothing left for today."), "3600", None,
                          list(GATE_CALLS)),
    # Not guarded: nothing after Hello, and the gate's own limit ends it.
    "gate_not_guarded": (fake_guard(False, 1), "1", None, ["Hello"]),
}


def guard_gate(name):
    guard, limit, send, expected = ROWS[name]
    application = {"CloseApplicationOnClose": "True"}
    if limit:
        application["ClosePorvaneInSeconds"] = limit
    text = settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "{application}"},
        Application=application,
        Closing={"ShowTimeLeft": "True", "TimeLeftTitle": "Time left"},
    )
    buses = []

    def guard_bus(env, root):
        buses.append(GuardBus(env, root, guard))
        return buses[-1]

    gate = open_gate(name, text).start(services=[guard_bus])
    bus = buses[0]
    gate.press(gate.window(gate.caption), "Return")
    if name == "gate_day_used_up":
        # Told in the guard's words, with the application already ended: so soon after its
        # start, the guard answering Agreed at once, that it may not have written its record.
        wait_for(lambda: gate.log_lines() == ["Nothing left for today."], "the gate's message")
        wait_for(lambda: not gate.applications_alive(), "the application to end")
        gate.press(gate.window(gate.caption), "Return")
        gate.ends()
        check(bus.calls() == expected, f"the guard saw {bus.calls()}, not {expected}")
        print(f"{name}: the guard saw {bus.calls()}")
        return
    pid, _ = gate.started()
    if send is not None:
        if name == "gate_end_moved_by_guard":
            gate.window("Time left")
        wait_for(lambda: bus.said("Agreed"), "the gate's Agreed")
        bus.send(send)
        sent = wait_for(lambda: bus.said("sent " + send), "the guard to send " + send)
        check(sent == bus.said("Hello"), f"sent to {sent}, not to the gate {bus.said('Hello')}")
    gate.ends()
    gate.wait_ended(pid)
    check(bus.calls() == expected, f"the guard saw {bus.calls()}, not {expected}")
    check(gate.log_lines() == [], f"the gate wrote {gate.log_lines()}")
    print(f"{name}: the guard saw {bus.calls()}")


def gate_with_the_real_guard():
    """The real gate as nobody and the real guard as root: the gate makes itself known again to
    a guard that restarts, the administrator shortens the session, the gate's countdown follows
    and the gate ends in order, and then the guard ends the session because its gate ended."""
    if os.getuid() != 0:
        print("gate_with_the_real_guard: skipped, it needs root")
        sys.exit(77)
    world = World({"Users": "nobody", "GateSeconds": "30", "AgreeSeconds": "60",
                   "GraceSeconds": "30"}, {"ClosePorvaneInSeconds": "3600"})

    class OnTheGuardsBus:
        """The guard's world as a service of the gate's desktop, closed with the case."""

        def __init__(self, env, root):
            self.env = dict(env, DBUS_SYSTEM_BUS_ADDRESS=world.address)
            os.chmod(root, 0o755)  # the gate's folder is nobody's to read

        def stop(self):
            world.close()

    text = settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "{application}"},
        Application={"ClosePorvaneInSeconds": "3600", "CloseApplicationOnClose": "True"},
        Closing={"ShowTimeLeft": "True", "TimeLeftTitle": "Time left"},
    )
    gate = open_gate("real_guard", text)
    os.chmod(gate.folder, 0o777)  # where the application, as nobody, writes its record
    world.add_session("c1")
    # logind places the gate's process in session c1: its pid is the shell's that execs it, so
    # known before the gate says Hello.
    gate.start(services=[OnTheGuardsBus],
               wrap=["sh", "-c", 'printf c1 > "$0/$$" && exec "$@"', world.pids, *NOBODY])
    window = gate.window(gate.caption)
    with open(f"/proc/{gate.proc.pid}/status") as f:
        uid = next(line.split()[1] for line in f if line.startswith("Uid:"))
    check(uid == "65534", f"the gate runs as uid {uid}, not as nobody")
    gate.press(window, "Return")
    pid, _ = gate.started()
    gate.window("Time left")
    wait_for(lambda: world.status().get("c1", {}).get("state") == "agreed", "the guard's Agree")
    # A guard that starts anew hears from the gate again, or it would end the session.
    world.stop_guard()
    world.start_guard()
    def hellos():
        return sum("session c1 " in line and "its gate is here" in line
                   for line in world.guard_lines())
    wait_for(lambda: hellos() == 2, "the gate's Hello to the restarted guard")
    code, _ = world.ctl("extend", "c1", "-3597")
    check(code == 0, f"porvanectl extend: exit status {code}")
    gate.ends(timeout=15)
    gate.wait_ended(pid)
    world.wait_terminated("c1")
    check(world.said("c1", "the gate ended"), "the guard gave no reason: " +
          " | ".join(world.guard_lines()))
    check(gate.log_lines() == [], f"the gate wrote {gate.log_lines()}")


CASES = {name: (lambda n=name: guard_gate(n)) for name in ROWS}
CASES["gate_with_the_real_guard"] = gate_with_the_real_guard

if __name__ == "__main__":
    sys.exit(main(CASES))
