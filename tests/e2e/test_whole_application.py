"""The time limit ends the whole application: every process its command line brought about,
detached ones included, also when the gate is killed; and nothing else, not even a process with
the same command line started outside the gate."""

import os
import shlex
import subprocess
import sys
import time

from harness import check, has_ended, is_running, main, open_gate, settings, wait_for

RECORDER = shlex.quote(os.environ.get("PORVANE_RECORDER", "recorder"))

# Each application records its processes' ids in files named after them, in its working folder.
APPLICATIONS = {
    # A launcher: starts the program in the background and is gone at once.
    "launcher": (f"{RECORDER} a &", ["a"]),
    # A script with a background child and a detached grandchild (its own session, its parent
    # gone), which then becomes the program itself.
    "script": (f"{RECORDER} a & setsid sh -c '{RECORDER} b &'; exec {RECORDER} c",
               ["a", "b", "c"]),
}

# name: (application, how the gate ends, CloseApplicationOnClose at Agree and at the end,
#        the application ended)
ROWS = {
    "launcher_time_limit": ("launcher", "time", "True", "True", True),
    "script_time_limit": ("script", "time", "True", "True", True),
    "script_gate_killed": ("script", "kill", "True", "True", True),
    "setting_off_at_end": ("script", "time", "True", "False", False),
    "setting_off_gate_killed": ("script", "kill", "False", "False", False),
}


def gate_settings(script, close_app, seconds):
    return settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "sh -c " + shlex.quote(script)},
        Application={"ClosePorvaneInSeconds": seconds, "CloseApplicationOnClose": close_app},
        Closing={"ShowCloseDialog": "True", "CloseTitle": "Time is up"},
    )


def recorded(folder, names, gate):
    """The processes' ids, once every one has recorded itself."""
    paths = [os.path.join(folder, name) for name in names]
    wait_for(lambda: all(os.path.exists(p) for p in paths), f"records {names} in {folder}")
    pids = []
    for path in paths:
        with open(path, encoding="utf-8") as f:
            pids.append(int(f.readline()))
    gate.started_pids.extend(pids)  # clean-up, whatever happens
    return pids


def parent(pid):
    """The process's parent, or None once it has gone."""
    try:
        with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as f:
            stat = f.read()
    except OSError:
        return None
    return int(stat[stat.rindex(")") + 2:].split()[1])


def row(name):
    kind, how, close_app, close_app_later, ended = ROWS[name]
    script, names = APPLICATIONS[kind]
    seconds = "3" if how == "time" else "600"
    gate = open_gate(name, gate_settings(script, close_app, seconds)).start()
    # The same command line, started outside the gate, from a folder of its own.
    outside = os.path.join(gate.root, "bystander")
    os.mkdir(outside)
    subprocess.Popen(["sh", "-c", script], cwd=outside)
    bystander = recorded(outside, names, gate)

    gate.press(gate.window(gate.caption), "Return")
    pids = recorded(gate.root, names, gate)
    if how == "time":
        # The time limit reads the setting as it ends the session, before the notice.
        gate.write_settings(gate_settings(script, close_app_later, seconds))
        notice = gate.window("Time is up")
        if ended:
            wait_for(lambda: all(has_ended(pid) for pid in pids), "every process to end")
            check(gate.find("Time is up"), "the notice went before it was dismissed")
        gate.press(notice, "Return")
        gate.ends()
    else:
        gate.proc.kill()
        gate.proc.wait()
    killed = time.monotonic()

    if ended:
        wait_for(lambda: all(has_ended(pid) for pid in pids), "every process to end")
        if how == "kill":
            print(f"the application ended {(time.monotonic() - killed) * 1000:.0f} ms "
                  "after the gate was killed")
    else:
        # Settled once whatever held the application has let it go to us.
        held = {None, os.getpid(), *pids}
        wait_for(lambda: all(parent(pid) in held for pid in pids), "the application to be let go")
        check(all(is_running(pid) for pid in pids), "a process of the application was ended")
    check(all(is_running(pid) for pid in bystander), "the process outside the gate was ended")


CASES = {name: (lambda n=name: row(n)) for name in ROWS}

if __name__ == "__main__":
    sys.exit(main(CASES))
