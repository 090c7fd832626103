"""The Ansible role and the room's play (packaging/ansible), run by ansible-playbook against this
machine with a local connection, into a sandbox: the role's porvane_root is a temporary folder
laid out as the package lays out /etc, and porvane_install is false, so nothing of this
machine's packages, services or logins is touched.

The room's play asks a stand-in porvanectl (fixtures/fake-guard), first in PATH, as several
computers of an inventory that each answer in their own way. PORVANE_ROOM_PORVANECTL=PATH
asks a real porvanectl instead, with its guard already running where that porvanectl finds it
(DBUS_SYSTEM_BUS_ADDRESS passes through): the table must then show exactly what that
porvanectl's own JSON says. Environment: PORVANE_CHECK (the built checker)."""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

from harness import Failure, check, main

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
ANSIBLE = os.path.join(SOURCE, "packaging", "ansible")
ROLE = os.path.join(ANSIBLE, "roles", "porvane")
RECAP = re.compile(r"^(\S+)\s*: ok=(\d+)\s+changed=(\d+)\s+unreachable=(\d+)\s+failed=(\d+)",
                   re.M)


def read_ini(path):
    """{section: {key: value}} of a settings file, comments and blank lines left out."""
    sections, section = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            line = line.strip()
            if not line or line[0] in ";#":
                continue
            if line.startswith("["):
                section = sections.setdefault(line[1:-1], {})
            else:
                key, value = line.split("=", 1)
                section[key] = value
    return sections


class Sandbox:
    """A temporary folder for one case: the root the role writes into, Ansible's own files."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="porvane-ansible-")
        self.root = os.path.join(self.dir, "root")
        # A home of its own, so that Ansible and ansible-lint leave nothing in the real one.
        self.env = dict(os.environ, HOME=self.dir, ANSIBLE_NOCOLOR="1", ANSIBLE_FORCE_COLOR="0",
                        ANSIBLE_CONFIG=os.path.join(self.dir, "none.cfg"),
                        ANSIBLE_LOCAL_TEMP=os.path.join(self.dir, "tmp"),
                        ANSIBLE_REMOTE_TMP=os.path.join(self.dir, "tmp"),
                        ANSIBLE_SSH_CONTROL_PATH_DIR=os.path.join(self.dir, "cp"),
                        ANSIBLE_RETRY_FILES_ENABLED="0", ANSIBLE_HOST_KEY_CHECKING="0",
                        ANSIBLE_PYTHON_INTERPRETER="auto_silent",
                        ANSIBLE_STDOUT_CALLBACK="ansible.builtin.default",
                        XDG_CACHE_HOME=os.path.join(self.dir, "cache"))
        self.runs = 0

    def playbook(self, playbook, variables, inventory="localhost,", extra_args=()):
        """ansible-playbook's output, exit status and {host: (changed, unreachable, failed)}."""
        self.runs += 1
        path = os.path.join(self.dir, f"vars{self.runs}.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(variables, f)
        # As root or not: the sandbox needs no other user, so no sudo either.
        command = ["ansible-playbook", "-i", inventory, "-e", "@" + path,
                   "-e", "ansible_become=false", *extra_args, os.path.join(ANSIBLE, playbook)]
        result = subprocess.run(command, cwd=self.dir, env=self.env, capture_output=True,
                                text=True, timeout=300)
        out = result.stdout + result.stderr
        recap = {m[1]: tuple(int(n) for n in m.groups()[2:]) for m in RECAP.finditer(out)}
        return out, result.returncode, recap

    def close(self, keep):
        if keep:
            print(f"kept {self.dir}", file=sys.stderr)
        else:
            shutil.rmtree(self.dir, ignore_errors=True)


def run_cases(body):
    sandbox = Sandbox()
    try:
        body(sandbox)
    except Exception:
        sandbox.close(keep=True)
        raise
    sandbox.close(keep=False)


def role():
    """Files written, a second run that changes nothing, a settings file with an error refused
    with the old one kept, the guard restarted only for its own section, each way in set and
    the others undone, and the guard's service skipped with a reason where it cannot start."""
    import yaml  # Ansible's own dependency; not needed to list the cases

    with open(os.path.join(ROLE, "defaults", "main.yml"), encoding="utf-8") as f:
        defaults = yaml.safe_load(f)
    sample = read_ini(os.path.join(SOURCE, "examples", "Porvane.ini"))
    sample["General"]["PolicyFile"] = "/etc/porvane/policy.rtf"  # where the package puts it
    check(defaults["porvane_settings"] == sample,
          "the role's default porvane_settings is not the package's sample, examples/Porvane.ini")

    def body(box):
        etc = os.path.join(box.root, "etc")
        ini = os.path.join(etc, "porvane", "Porvane.ini")
        autostart = os.path.join(etc, "xdg", "autostart", "porvane.desktop")
        dropin = os.path.join(etc, "lightdm", "lightdm.conf.d", "50-porvane.conf")
        os.makedirs(os.path.dirname(autostart))
        shutil.copy(os.path.join(SOURCE, "packaging", "session", "porvane-autostart.desktop"),
                    autostart)  # as the package installs it
        policy = os.path.join(SOURCE, "examples", "policy.rtf")
        lab = {"porvane_root": box.root, "porvane_install": False,
               "porvane_check": os.environ["PORVANE_CHECK"], "porvane_policy": policy,
               "porvane_login": "session", "porvane_autologin_user": "lab",
               "porvane_guard_users": ["lab", "pupil"], "porvane_guard_groups": ["students"],
               "porvane_daily_seconds": 7200}
        caption = dict(sample, General=dict(sample["General"], FormCaption="Library"))
        unreadable = dict(sample, General=dict(sample["General"], PolicyWidth="wide"))
        guard = {"Users": "lab, pupil", "Groups": "students",
                 "DailySeconds": "7200"}
        # name, variables, changed tasks (None: the run fails), the guard restarts,
        # the [General] and [Guard] written, the way in (Hidden=, the drop-in's user)
        rows = [
            ("first run", lab, 6, True, sample["General"], guard, "true", "lab"),
            ("second run", lab, 0, False, sample["General"], guard, "true", "lab"),
            ("a setting the gate cannot read", dict(lab, porvane_settings=unreadable), None,
             False, sample["General"], guard, "true", "lab"),
            ("a new caption", dict(lab, porvane_settings=caption), 1, False,
             caption["General"], guard, "true", "lab"),
            ("the autostart entry instead", dict(lab, porvane_login="autostart"), 3, False,
             sample["General"], guard, "false", None),
            ("neither way in, fewer users", dict(lab, porvane_login="none",
                                                 porvane_guard_users=["lab"]), 3, True,
             sample["General"], dict(guard, Users="lab"), "true", None),
        ]
        not_pid1 = not os.path.isdir("/run/systemd/system")
        for name, variables, changed, restarts, general, guard_keys, hidden, user in rows:
            before = open(ini, "rb").read() if os.path.exists(ini) else None
            out, status, recap = box.playbook("site.yml", variables, extra_args=["-c", "local"])
            try:
                if changed is None:
                    check(status != 0 and recap.get("localhost", (0, 0, 0))[2] == 1,
                          "the run did not fail")
                    check(open(ini, "rb").read() == before, "the old settings were not kept")
                    check("PolicyWidth" in out, "the checker's finding is not in the output")
                else:
                    check(status == 0, f"exit status {status}")
                    check(recap["localhost"][0] == changed,
                          f"{recap['localhost'][0]} tasks changed, not {changed}")
                    check(("RUNNING HANDLER [porvane : Restart the guard]" in out) == restarts,
                          "the guard's restart " + ("missing" if restarts else "unneeded"))
                    check(("systemd is not PID 1" if not_pid1 else f"went to {box.root}") in out,
                          "no word why the guard is not started")
                written = read_ini(ini)
                want = dict(general, PolicyFile=os.path.join(etc, "porvane", "policy.rtf"))
                check(written["General"] == want, f"[General] written: {written['General']}")
                check(written["Guard"] == guard_keys, f"[Guard] written: {written['Guard']}")
                check(set(written) == set(sample) | {"Guard"}, f"sections: {list(written)}")
                check(open(os.path.join(etc, "porvane", "policy.rtf"), "rb").read()
                      == open(policy, "rb").read(), "the policy was not copied")
                check(f"Hidden={hidden}\n" in open(autostart, encoding="utf-8").read(),
                      f"the autostart entry is not Hidden={hidden}")
                if user is None:
                    check(not os.path.exists(dropin), "the LightDM drop-in is still there")
                else:
                    check(open(dropin, encoding="utf-8").read().endswith(
                        f"[Seat:*]\nautologin-user={user}\nautologin-session=porvane\n"),
                        "the LightDM drop-in")
            except Failure as failure:
                raise Failure(f"{name}: {failure}\n{out}") from None

    run_cases(body)


# The room as the play prints it for the stand-in's answers, computers in name order.
ROOM = """\
COMPUTER  SESSION  USER   STATE       LEFT   USED
lab-01    c1       lab    agreed      30:00  10:00
lab-01    c7       pupil  policy      -      1:06:40
lab-02    -        -      no answer   -      -
lab-03    -        -      no session  -      -
lab-04    -        -      no answer   -      -
lab-05    -        -      no answer   -      -"""


def duration(seconds):
    if not isinstance(seconds, int) or seconds < 0:
        return "-"
    if seconds >= 3600:
        return f"{seconds // 3600}:{seconds % 3600 // 60:02d}:{seconds % 60:02d}"
    return f"{seconds // 60}:{seconds % 60:02d}"


def room_status():
    """The room's play: every computer's answer in one table, one line per session; a computer
    without a guard, with an answer that is not JSON, or out of reach, says "no answer"."""
    real = os.environ.get("PORVANE_ROOM_PORVANECTL")

    def body(box):
        bin_dir = os.path.join(box.dir, "bin")
        os.makedirs(bin_dir)
        if real:
            os.symlink(real, os.path.join(bin_dir, "porvanectl"))
        else:
            shutil.copy(os.path.join(HERE, "fixtures", "fake-guard", "porvanectl"), bin_dir)
        box.env["PATH"] = bin_dir + os.pathsep + box.env["PATH"]
        # Each computer is this machine, answering in its own way: the stand-in reads the way
        # from its environment, set by a Python that the inventory names for that computer.
        lines = ["[room]"]
        for host, way in [("lab-01", "sessions"), ("lab-02", "absent"), ("lab-03", "idle"),
                          ("lab-04", "garbled")]:
            if real:
                if way == "sessions":
                    lines.append(f"{host} ansible_connection=local")
                continue
            python = os.path.join(box.dir, f"python-{way}")
            with open(python, "w", encoding="utf-8") as f:
                f.write(f"#!/bin/sh\nPORVANE_FAKE_GUARD={way} exec {sys.executable} \"$@\"\n")
            os.chmod(python, 0o755)
            lines.append(f"{host} ansible_connection=local ansible_python_interpreter={python}")
        # Out of reach: nothing listens on port 9 here.
        lines.append("lab-05 ansible_connection=ssh ansible_host=127.0.0.1 ansible_port=9")
        inventory = os.path.join(box.dir, "inventory.ini")
        with open(inventory, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        out, status, _ = box.playbook("room-status.yml", {}, inventory=inventory)
        printed = re.search(r'"msg": \[\n(.*?)\n\s*\]', out, re.S)
        check(printed is not None, f"no table printed\n{out}")
        table = "\n".join(json.loads(line.strip().rstrip(",")) for line in
                          printed[1].splitlines())
        if real:
            answer = json.loads(subprocess.run([real, "status", "--json"], capture_output=True,
                                               text=True, check=True, env=box.env).stdout)
            rows = [r.split() for r in table.splitlines()[1:]]
            want = [["lab-01", s["id"], s["user"], s["state"], duration(s["secondsLeft"]),
                     duration(s["usedTodaySeconds"])] for s in answer["sessions"]] or \
                [["lab-01", "-", "-", "no", "session", "-", "-"]]
            want.append(["lab-05", "-", "-", "no", "answer", "-", "-"])
            check(rows == want, f"the room:\n{table}\nthe guard said: {answer}")
        else:
            check(table == ROOM, f"the room:\n{table}\nnot:\n{ROOM}\n{out}")
        check(status == 0, f"exit status {status}: a computer out of reach fails the play")

    run_cases(body)


def room_with_the_guard():
    """The room's play against the real guard, on a private system bus with a mock logind that
    holds two guarded sessions, one whose gate has made itself known: the table is what the
    guard says. No time limit and nobody agreed, so that nothing counts down between the play's
    question and the test's."""
    if os.geteuid() != 0:
        print("skipped: the guard runs as root and its gates as nobody", file=sys.stderr)
        sys.exit(77)
    import guard_world

    world = guard_world.World({"Users": "nobody", "GateSeconds": "60", "AgreeSeconds": "0"})
    try:
        world.add_session("c1")
        world.add_session("c2")
        check(world.gate("c1").ask("hello") == [1, "c1"], "the gate of c1 was not guarded")
        os.environ.update(PORVANE_ROOM_PORVANECTL=os.environ["PORVANE_CTL"],
                          DBUS_SYSTEM_BUS_ADDRESS=world.address)
        check(len(world.status()) == 2, "the guard does not hold two sessions")
        room_status()
    except Exception:
        world.close(keep=True)
        raise
    world.close()


def lint():
    """ansible-lint finds nothing in the role and the plays."""
    box = Sandbox()
    result = subprocess.run(["ansible-lint", "--offline", "--nocolor", "site.yml",
                             "room-status.yml", "roles/porvane"], cwd=ANSIBLE, env=box.env,
                            capture_output=True, text=True, timeout=300)
    box.close(keep=False)
    check(result.returncode == 0, f"ansible-lint:\n{result.stdout}{result.stderr}")


if __name__ == "__main__":
    sys.exit(main({"ansible_role": role, "ansible_room_status": room_status,
                   "ansible_room_with_the_guard": room_with_the_guard,
                   "ansible_lint": lint}, needs=("PORVANE_CHECK",)))
