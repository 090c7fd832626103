"""The guard's files as the package installs them, checked without installing anything:
- the systemd unit passes `systemd-analyze verify` (systemd is not PID 1 here, so the unit is
  verified in a root folder of its own, beside this system's own units and a stand-in for the
  guard's program);
- the bus policy, loaded by a private bus of the system bus's kind, lets only root own
  org.porvane.Guard, lets anyone call Hello, Agreed, Ending and Status, and only root Extend
  and End. The caller who is not root is `nobody`, through setpriv; this needs root and is
  skipped without it.

    test_guard_files.py --list | CASE
"""

import os
import pwd
import shutil
import subprocess
import sys
import tempfile

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
UNIT = os.path.join(TOP, "packaging", "guard", "porvane-guard.service")
POLICY = os.path.join(TOP, "packaging", "guard", "org.porvane.Guard.conf")
FAKE_GUARD = os.path.join(TOP, "tests", "e2e", "fake_guard.py")
SKIP = 77


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def unit_verifies(work):
    root = os.path.join(work, "root")
    units = os.path.join(root, "usr", "lib", "systemd", "system")
    shutil.copytree("/usr/lib/systemd/system", units, symlinks=True)
    shutil.copy(UNIT, units)
    program = os.path.join(root, "usr", "lib", "porvane", "porvane-guard")
    os.makedirs(os.path.dirname(program))
    with open(program, "w") as f:
        f.write("#!/bin/sh\n")
    os.chmod(program, 0o755)
    result = subprocess.run(["systemd-analyze", "verify", "--man=no", f"--root={root}",
                             "/usr/lib/systemd/system/porvane-guard.service"],
                            capture_output=True, text=True)
    said = (result.stdout + result.stderr).strip()
    check(result.returncode == 0 and not said,
          f"systemd-analyze verify: status {result.returncode}: {said}")
    # The stand-in's absence must be noticed, or the check above checks nothing.
    os.remove(program)
    result = subprocess.run(["systemd-analyze", "verify", "--man=no", f"--root={root}",
                             "/usr/lib/systemd/system/porvane-guard.service"],
                            capture_output=True, text=True)
    check(result.returncode != 0, "systemd-analyze verify does not look at ExecStart")


# The system bus's own default policy, as dbus's system.conf has it: calls denied unless a
# policy allows them, names owned by nobody unless allowed.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus"
           send_interface="org.freedesktop.DBus"/>
    <allow send_destination="org.freedesktop.DBus"
           send_interface="org.freedesktop.DBus.Introspectable"/>
  </policy>
  <include>{policy}</include>
</busconfig>
"""


def bus_policy(work):
    if os.getuid() != 0:
        print("bus_policy: skipped, it needs root to call as another user")
        sys.exit(SKIP)
    os.chmod(work, 0o755)
    socket = os.path.join(work, "bus")
    config = os.path.join(work, "bus.conf")
    with open(config, "w") as f:
        f.write(BUS_CONFIG.format(socket=socket, policy=POLICY))
    procs = []
    try:
        bus = subprocess.Popen(["dbus-daemon", "--config-file=" + config, "--nofork",
                                "--print-address"], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
        procs.append(bus)
        address = bus.stdout.readline().decode().strip()
        check(address, "dbus-daemon did not start with the policy")
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=address)
        guard = subprocess.Popen(["/usr/bin/python3", FAKE_GUARD, "true", "-1"], env=env,
                                 stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        procs.append(guard)
        check(guard.stdout.readline().strip() == b"ready", "root could not own the name")
        nobody = pwd.getpwnam("nobody")

        def call(as_nobody, member, *args, dest="org.porvane.Guard",
                 path="/org/porvane/Guard", interface="org.porvane.Guard1"):
            who = (["setpriv", f"--reuid={nobody.pw_uid}", f"--regid={nobody.pw_gid}",
                    "--clear-groups"] if as_nobody else [])
            result = subprocess.run(who + ["dbus-send", "--system", "--print-reply",
                                           f"--dest={dest}", path, f"{interface}.{member}",
                                           *args], env=env, capture_output=True, text=True,
                                    timeout=10)
            return result.returncode == 0, result.stdout + result.stderr

        rows = [
            # (who, member, arguments, answered: True, or the error's name)
            (True, "Hello", (), True),
            (True, "Agreed", (), True),
            (True, "Ending", (), True),
            # The fake guard has no Status: the bus let the call through to it.
            (True, "Status", (), "UnknownMethod"),
            (True, "Extend", ("string:c1", "int64:60"), "AccessDenied"),
            (True, "End", ("string:c1",), "AccessDenied"),
            (False, "Extend", ("string:c1", "int64:60"), "UnknownMethod"),
            (False, "End", ("string:c1",), "UnknownMethod"),
        ]
        for as_nobody, member, args, expected in rows:
            answered, said = call(as_nobody, member, *args)
            who = "nobody" if as_nobody else "root"
            if expected is True:
                check(answered, f"{who} could not call {member}: {said}")
            else:
                check(not answered and expected in said,
                      f"{who} calling {member}: {said.strip()}, not {expected}")
        answered, said = call(True, "RequestName", "string:org.porvane.Guard", "uint32:0",
                              dest="org.freedesktop.DBus", path="/org/freedesktop/DBus",
                              interface="org.freedesktop.DBus")
        check(not answered and "AccessDenied" in said,
              f"nobody asking for the guard's name: {said.strip()}")
    finally:
        for proc in reversed(procs):
            if proc.poll() is None:
                proc.terminate()
            proc.wait()


CASES = {"unit_verifies": unit_verifies, "bus_policy": bus_policy}


def main():
    if sys.argv[1:] == ["--list"]:
        print("\n".join(CASES))
        return 0
    if len(sys.argv) != 2 or sys.argv[1] not in CASES:
        print(f"usage: {sys.argv[0]} --list | CASE", file=sys.stderr)
        return 2
    work = tempfile.mkdtemp(prefix="porvane-packaging-")
    try:
        CASES[sys.argv[1]](work)
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{sys.argv[1]}: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
