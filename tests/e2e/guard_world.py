"""A world for the guard: a private bus as the system bus (its policy as the package's: only
root owns org.porvane.Guard, everyone may call it), python3-dbusmock's logind on it with
GetSessionByPID answering from a table the test writes, porvane-guard as root, and stand-in
gates (fake_gate.py) as the unprivileged user nobody. Environment: PORVANE_GUARD, PORVANE_CTL."""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

from harness import check, wait_for

SYSTEM_PYTHON = "/usr/bin/python3"  # python3-dbusmock and python3-dbus are Debian packages
HERE = os.path.dirname(os.path.abspath(__file__))
NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
LOGIND = "org.freedesktop.login1"
MANAGER = "/org/freedesktop/login1"

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <deny own="org.porvane.Guard"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
  <policy user="root">
    <allow own="org.porvane.Guard"/>
  </policy>
</busconfig>
"""


class Gate:
    """A stand-in gate in a session: commands in, one JSON line per answer or signal out."""

    def __init__(self, world, session):
        self.proc = subprocess.Popen(NOBODY + [SYSTEM_PYTHON, os.path.join(HERE, "fake_gate.py")],
                                     env=world.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True)
        world.procs.append(self.proc)
        with open(os.path.join(world.pids, str(self.proc.pid)), "w") as f:
            f.write(session)
        self.name = self.read()["name"]

    def read(self):
        line = self.proc.stdout.readline()
        check(line, "the stand-in gate ended")
        return json.loads(line)

    def ask(self, command):
        """The guard's answer to a method: a list of values, or the error's name."""
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        while True:
            said = self.read()
            if "method" in said:
                return said.get("error", said.get("answer"))

    def signal(self, sig):
        os.kill(self.proc.pid, sig)


class World:
    def __init__(self, guard_keys, plan_keys=None):
        self.root = tempfile.mkdtemp(prefix="porvane-guard-")
        os.chmod(self.root, 0o755)
        self.procs = []
        self.pids = os.path.join(self.root, "pids")
        os.mkdir(self.pids)
        self.ini = os.path.join(self.root, "Porvane.ini")
        with open(self.ini, "w") as f:
            f.write("[Application]\n" + "".join(f"{k}={v}\n" for k, v in (plan_keys or {}).items()))
            f.write("[Guard]\n" + "".join(f"{k}={v}\n" for k, v in guard_keys.items()))
        self.state = os.path.join(self.root, "state")
        config = os.path.join(self.root, "bus.conf")
        with open(config, "w") as f:
            f.write(BUS_CONFIG.format(socket=os.path.join(self.root, "bus")))
        bus = self._spawn(["dbus-daemon", "--config-file=" + config, "--nofork",
                           "--print-address"], os.environ, stdout=subprocess.PIPE)
        self.address = bus.stdout.readline().decode().strip()
        check(self.address, "dbus-daemon did not report its address")
        os.chmod(os.path.join(self.root, "bus"), 0o777)
        self.env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        self.logind_log = os.path.join(self.root, "logind.log")
        self._spawn([SYSTEM_PYTHON, "-m", "dbusmock", "--template", "logind", "-l",
                     self.logind_log], self.env)
        wait_for(lambda: self.busctl(LOGIND, MANAGER, "org.freedesktop.DBus.Peer", "Ping"),
                 "the mock logind")
        code = (f"ret = '/org/freedesktop/login1/session/' + "
                f"open('{self.pids}/%d' % args[0]).read()")
        check(self.mock("AddMethod", "sssss", "org.freedesktop.login1.Manager",
                        "GetSessionByPID", "u", "o", code), "no GetSessionByPID on the mock")
        self.guard_log = os.path.join(self.root, "guard.log")
        self.start_guard()

    def _spawn(self, argv, env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL):
        proc = subprocess.Popen(argv, env=env, stdout=stdout, stderr=stderr)
        self.procs.append(proc)
        return proc

    def busctl(self, *args, user=None):
        return subprocess.run((user or []) + ["busctl", "--address=" + self.address, "call",
                                              *args], capture_output=True, text=True,
                              env=self.env).returncode == 0

    def mock(self, method, signature, *args):
        return self.busctl(LOGIND, MANAGER, "org.freedesktop.DBus.Mock", method, signature,
                           *[str(a) for a in args])

    def start_guard(self):
        start = len(self.guard_lines())
        with open(self.guard_log, "a") as log:
            self.guard = self._spawn([os.environ["PORVANE_GUARD"], "--settings", self.ini,
                                      "--state", self.state], self.env, stderr=log)
        wait_for(lambda: any("guarding" in line for line in self.guard_lines()[start:]),
                 "the guard on the bus")

    def stop_guard(self):
        self.guard.send_signal(signal.SIGTERM)
        check(self.guard.wait(timeout=10) == 0, "the guard did not stop in order")

    def add_session(self, session, user="nobody", uid=65534, kind="x11"):
        path = f"{MANAGER}/session/{session}"
        check(self.mock("AddSession", "ssusb", session, "seat0", uid, user, "true"),
              f"the mock took no session {session}")
        check(self.busctl(LOGIND, path, "org.freedesktop.DBus.Properties", "Set", "ssv",
                          "org.freedesktop.login1.Session", "Type", "s", kind), "no Type")
        check(self.mock("EmitSignal", "sssav", "org.freedesktop.login1.Manager", "SessionNew",
                        "so", 2, "s", session, "o", path), "no SessionNew")

    def remove_session(self, session):
        path = f"{MANAGER}/session/{session}"
        check(self.mock("EmitSignal", "sssav", "org.freedesktop.login1.Manager",
                        "SessionRemoved", "so", 2, "s", session, "o", path), "no SessionRemoved")

    def owner(self, name):
        done = subprocess.run(["dbus-send", "--bus=" + self.address, "--print-reply=literal",
                               "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus.GetNameOwner", "string:" + name],
                              capture_output=True, text=True)
        return done.stdout.strip()

    def forge(self, destination, path, signal_name, *args):
        """A signal sent by nobody to one connection only."""
        subprocess.run(NOBODY + ["dbus-send", "--bus=" + self.address, "--type=signal",
                                 "--dest=" + destination, path, signal_name, *args], check=True)

    def gate(self, session):
        return Gate(self, session)

    def terminations(self):
        """(time, session) of every TerminateSession logind was asked for."""
        if not os.path.exists(self.logind_log):
            return []
        with open(self.logind_log) as f:
            lines = [line.split() for line in f]
        return [(float(w[0]), w[2].strip('"')) for w in lines
                if len(w) == 3 and w[1] == "TerminateSession"]

    def wait_terminated(self, session):
        """When logind was asked to end the session, by the mock's clock."""
        return wait_for(lambda: next((t for t, s in self.terminations() if s == session), None),
                        f"TerminateSession {session}")

    def guard_lines(self):
        if not os.path.exists(self.guard_log):
            return []
        with open(self.guard_log) as f:
            return f.read().splitlines()

    def said(self, session, words):
        return any(f"session {session} " in line and words in line for line in self.guard_lines())

    def ctl(self, *args, user=None):
        done = subprocess.run((user or []) + [os.environ["PORVANE_CTL"], *args],
                              capture_output=True, text=True, env=self.env)
        return done.returncode, done.stdout

    def status(self, user=None):
        code, out = self.ctl("status", "--json", user=user)
        check(code == 0, f"porvanectl status failed: {code}")
        return {s["id"]: s for s in json.loads(out)["sessions"]}

    def close(self, keep=False):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.kill()
            proc.wait()
        if keep:
            print("\n".join(self.guard_lines()))
        shutil.rmtree(self.root, ignore_errors=True)


def run(case, *args):
    world = World(*args)
    try:
        case(world)
    except Exception:
        world.close(keep=True)
        raise
    world.close()


def now():
    return time.time()
