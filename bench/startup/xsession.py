"""What the start-up and timer measurements share besides their private Xvfb
(tools/desktop_session.py): the X event watcher, and a folder holding a copy of the program with
the sample settings.

Times are CLOCK_MONOTONIC nanoseconds, the clock of both time.monotonic_ns() and the watcher.
"""

import os
import queue
import shutil
import subprocess
import tempfile
import threading


class Watcher:
    """bench_startup_xwatch, its lines parsed into (ns, what, rest) tuples on a queue."""

    def __init__(self, xwatch, env, command=()):
        args = [xwatch, "--", *command] if command else [xwatch]
        self.proc = subprocess.Popen(args, env=env, stdout=subprocess.PIPE, text=True)
        self.events = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            ns, what, rest = (line.rstrip("\n").split(" ", 2) + [""])[:3]
            self.events.put((int(ns), what, rest))
        self.events.put((0, "eof", ""))

    def next(self, what, match=lambda rest: True, timeout=30):
        """The next event of kind `what` whose rest matches; RuntimeError on timeout or end."""
        while True:
            try:
                event = self.events.get(timeout=timeout)
            except queue.Empty:
                raise RuntimeError(f"no {what} event within {timeout} s") from None
            if event[1] == "eof":
                raise RuntimeError(f"the watcher ended before a {what} event")
            if event[1] == what and match(event[2]):
                return event

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
        self.proc.wait()


def titled(title):
    """Matches a map or unmap event of a window with this exact title."""
    return lambda rest: rest.split(" ", 1)[1:] == [title]


def read_ini_value(path, section, key):
    """A value of a Porvane.ini, as the program reads it (names without regard to case)."""
    current = None
    with open(path, encoding="utf-8-sig", errors="replace") as f:
        for line in f:
            line = line.strip()
            if line.startswith("[") and "]" in line:
                current = line[1:line.index("]")].strip().lower()
            elif "=" in line and current == section.lower():
                name, value = line.split("=", 1)
                if name.strip().lower() == key.lower():
                    return value.strip()
    return ""


def gate_folder(build, source, settings_edit=None, policy=None):
    """A temporary folder with a copy of the program, the sample policy (or `policy`, copied
    under the sample's name) and the sample settings (changed by settings_edit(text) -> text
    when given). Returns (folder, program path)."""
    folder = tempfile.mkdtemp(prefix="porvane-measure-")
    exe = os.path.join(folder, "porvane")
    shutil.copy2(os.path.join(build, "porvane"), exe)
    examples = os.path.join(source, "examples")
    shutil.copy2(policy or os.path.join(examples, "policy.rtf"),
                 os.path.join(folder, "policy.rtf"))
    with open(os.path.join(examples, "Porvane.ini"), encoding="utf-8") as f:
        text = f.read()
    if settings_edit is not None:
        text = settings_edit(text)
    with open(os.path.join(folder, "Porvane.ini"), "w", encoding="utf-8") as f:
        f.write(text)
    return folder, exe


def memory_kb(pid):
    """(VmHWM, VmRSS) of a process in kB."""
    values = {}
    with open(f"/proc/{pid}/status", encoding="ascii") as f:
        for line in f:
            name, _, rest = line.partition(":")
            if name in ("VmHWM", "VmRSS"):
                values[name] = int(rest.split()[0])
    return values["VmHWM"], values["VmRSS"]
