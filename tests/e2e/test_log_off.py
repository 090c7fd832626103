"""LogOffOnClose: at its orderly end the gate asks logind to end its session, after the
application; a bus without logind still sees an orderly end. logind is python3-dbusmock's logind
template on a private bus, which the gate takes for the system bus (DBUS_SYSTEM_BUS_ADDRESS)."""

import os
import subprocess
import sys

from harness import check, main, open_gate, settings, wait_for

# The system's own Python: python3-dbusmock is a Debian package.
SYSTEM_PYTHON = "/usr/bin/python3"
LOGIND = "org.freedesktop.login1"
SESSION = "/org/freedesktop/login1/session/c7"


class SystemBus:
    """A private bus given to the gate as its system bus; with logind, the mock's log tells
    which calls came. by_pid: logind knows the gate's process (GetSessionByPID answers), else
    the gate must fall back on XDG_SESSION_ID."""

    def __init__(self, env, root, logind, by_pid):
        self.procs = []
        self.log = os.path.join(root, "logind.log")
        self.setup_end = 0
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address"], env,
                          stdout=subprocess.PIPE)
        self.address = bus.stdout.readline().decode().strip()
        check(self.address, "dbus-daemon did not report its address")
        self.env = dict(env, DBUS_SYSTEM_BUS_ADDRESS=self.address, XDG_SESSION_ID="c7")
        if not logind:
            return
        self._spawn([SYSTEM_PYTHON, "-m", "dbusmock", "--template", "logind", "-l", self.log],
                    self.env)
        wait_for(lambda: self._send("/org/freedesktop/login1", "org.freedesktop.DBus.Peer.Ping"),
                 "the mock logind")
        check(self._send("/org/freedesktop/login1", "org.freedesktop.DBus.Mock.AddSession",
                         "string:c7", "string:seat0", "uint32:1000", "string:lab", "boolean:true"),
              "the mock logind took no session")
        if by_pid:
            check(self._send("/org/freedesktop/login1", "org.freedesktop.DBus.Mock.AddMethod",
                             "string:org.freedesktop.login1.Manager", "string:GetSessionByPID",
                             "string:u", "string:o", f"string:ret = '{SESSION}'"),
                  "the mock logind took no GetSessionByPID")
        self.setup_end = os.path.getsize(self.log) if os.path.exists(self.log) else 0

    def _spawn(self, argv, env, stdout=subprocess.DEVNULL):
        proc = subprocess.Popen(argv, env=env, stdout=stdout, stderr=subprocess.DEVNULL)
        self.procs.append(proc)
        return proc

    def _send(self, path, method, *args):
        return subprocess.run(["dbus-send", "--bus=" + self.address, "--print-reply",
                               "--dest=" + LOGIND, path, method, *args],
                              capture_output=True).returncode == 0

    def calls(self):
        """The logind methods called since the set-up, with their arguments, oldest first."""
        if not os.path.exists(self.log):
            return []
        with open(self.log, "rb") as f:
            f.seek(self.setup_end)
            lines = f.read().decode("utf-8", "replace").splitlines()
        return [line.split(" ", 1)[1] for line in lines if " " in line]

    def stop(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
            proc.wait()


# name: (how the gate ends, LogOffOnClose, logind on the bus, logind knows the gate's process,
#        the calls expected, {gate} standing for the gate's process id)
ROWS = {
    "log_off_after_agree": ("time", "True", True, True, ["GetSessionByPID {gate}", "Terminate"]),
    # The template has no GetSessionByPID: the session the environment names.
    "log_off_after_disagree": ("disagree", "True", True, False, ['TerminateSession "c7"']),
    "no_log_off_without_key": ("time", "False", True, True, []),
    "no_logind_ends_in_order": ("time", "True", False, False, []),
}


def log_off(name):
    how, key, logind, by_pid, expected = ROWS[name]
    text = settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "{application}"},
        Application={"ClosePorvaneInSeconds": "1", "CloseApplicationOnClose": "True",
                     "LogOffOnClose": key},
    )
    buses = []

    def system_bus(env, root):
        buses.append(SystemBus(env, root, logind, by_pid))
        return buses[-1]

    gate = open_gate(name, text).start(services=[system_bus])
    window = gate.window(gate.caption)
    pid = None
    if how == "disagree":
        gate.press(window, "Tab", "Return")
    else:
        gate.press(window, "Return")
        pid, _ = gate.started()
    gate.ends()
    if pid is not None:
        gate.wait_ended(pid)
    calls = buses[0].calls()
    expected = [call.format(gate=gate.proc.pid) for call in expected]
    check(calls == expected, f"logind was asked {calls}, not {expected}")
    lines = gate.log_lines()
    if logind:
        check(lines == [], f"the gate wrote {lines}")
    else:
        check(len(lines) == 1 and lines[0].startswith("the session is not logged off: "),
              f"the gate wrote {lines}, not one line saying why it did not log off")
        print(f"{name}: porvane: {lines[0]}")
    if expected:
        print(f"{name}: logind was asked {calls}")


CASES = {name: (lambda n=name: log_off(n)) for name in ROWS}

if __name__ == "__main__":
    sys.exit(main(CASES))
