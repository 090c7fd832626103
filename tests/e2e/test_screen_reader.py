"""A blind user's run through the gate, with Orca, the screen reader of Linux desktops: the
policy window is presented as a dialog with its title, the time-limit warning is announced with
its title and message although it takes no focus, and the closing notice's message is read.
Orca speaks into its debug log (speech itself is off), which also names where each event came
from.

Needs orca, at-spi2-core and dbus (tools/install-deps).
"""

import glob
import os
import re
import signal
import subprocess
import sys
import time

from harness import check, has_ended, main, open_gate, process_state, settings, wait_for

SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*)'\s*\{'established")


def _children(pid):
    """Ids of the live processes whose parent is pid."""
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat", encoding="ascii", errors="replace") as f:
                    stat = f.read()
            except OSError:
                continue
            if int(stat[stat.rindex(")") + 2:].split()[1]) == pid:
                found.append(int(entry))
    return found


class ScreenReader:
    """A session bus, the accessibility bus and Orca, for the desktop of env. Orca gets a home of
    its own, so that no user's settings change what it says."""

    with_orca = True

    def __init__(self, env, root):
        self.procs = []
        self.env = env
        earlier = set(_children(os.getpid()))
        started = False
        try:
            self._start(root)
            started = True
        finally:
            # What started detached itself on the way (the bus launcher does).
            self.detached = set(_children(os.getpid())) - earlier - {p.pid for p in self.procs}
            if not started:
                self.stop()  # no one else knows of us yet

    def _start(self, root):
        env = self.env
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address"], env,
                          stdout=subprocess.PIPE)
        address = bus.stdout.readline().decode().strip()
        check(address, "dbus-daemon did not report its address")
        self.env = dict(env, DBUS_SESSION_BUS_ADDRESS=address,
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        launcher = (glob.glob("/usr/libexec/at-spi-bus-launcher")
                    + glob.glob("/usr/lib/*/at-spi-bus-launcher"))
        check(launcher, "at-spi-bus-launcher not found (package at-spi2-core)")
        self._spawn([launcher[0], "--launch-immediately"], self.env)
        wait_for(lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], env=self.env, capture_output=True).returncode == 0,
            "the accessibility bus")
        if not self.with_orca:
            return
        home = os.path.join(root, "orca-home")
        os.mkdir(home)
        self.log = os.path.join(root, "orca.log")
        # Not --replace: that kills every other Orca of this user, ours or not. Orca runs once
        # per user, so it refuses to start while another one runs.
        with open(os.path.join(root, "orca.out"), "wb") as out:
            orca = self._spawn(["orca", "--disable=speech", "--debug-file=" + self.log],
                               dict(self.env, HOME=home,
                                    XDG_CONFIG_HOME=os.path.join(home, ".config"),
                                    XDG_DATA_HOME=os.path.join(home, ".local", "share")),
                               stdout=out, stderr=subprocess.STDOUT)

        def ready():
            check(orca.poll() is None, "Orca ended at start (another Orca of this user running?)"
                  f": see {out.name}")
            return os.path.exists(self.log) and "Startup complete" in self.log_text()
        wait_for(ready, "Orca to start", timeout=60)

    def _spawn(self, argv, env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL):
        proc = subprocess.Popen(argv, env=env, stdout=stdout, stderr=stderr)
        self.procs.append(proc)
        return proc

    def log_text(self):
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return f.read()

    def spoken(self):
        """Every line Orca has spoken so far."""
        return [m.group(1) for m in SPOKEN.finditer(self.log_text())] if os.path.exists(
            self.log) else []

    def hears(self, *words):
        """Waits until Orca has spoken a line holding all the words; returns that line."""
        def said():
            return next((line for line in self.spoken() if all(w in line for w in words)), None)
        return wait_for(said, f"Orca to say {' ... '.join(words)!r}", timeout=30)

    def stop(self):
        # The bus launcher detaches itself, and the buses start helpers of their own (the
        # accessibility bus's daemon, the registry): as our subreaper's orphans, they are found
        # among our descendants by the private session bus they inherited.
        mark = ("DBUS_SESSION_BUS_ADDRESS=" + self.env.get("DBUS_SESSION_BUS_ADDRESS", "-")).encode()
        helpers = set(self.detached)
        todo = [os.getpid()]
        while todo:
            for pid in _children(todo.pop()):
                todo.append(pid)
                try:
                    with open(f"/proc/{pid}/environ", "rb") as f:
                        if mark in f.read().split(b"\0"):
                            helpers.add(pid)
                except OSError:
                    pass
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
        for pid in helpers:
            if process_state(pid) not in (None, "Z"):
                os.kill(pid, signal.SIGTERM)
        for proc in self.procs:
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        for pid in helpers:
            wait_for(lambda: has_ended(pid), f"helper {pid} to end", timeout=5)


class AccessibilityBus(ScreenReader):
    """The buses alone, for reading what a screen reader would read (AT-SPI over D-Bus, through
    gdbus), without Orca."""

    with_orca = False

    def _call(self, *args, address=None):
        bus = ["--address", address] if address else ["--session"]
        result = subprocess.run(["gdbus", "call", *bus, *args], env=self.env,
                                capture_output=True, text=True, timeout=10)
        return result.stdout if result.returncode == 0 else ""

    def address(self):
        out = self._call("--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus",
                         "--method", "org.a11y.Bus.GetAddress")
        return re.search(r"'([^']*)'", out)[1]

    def children(self, address, ref):
        out = self._call("--dest", ref[0], "--object-path", ref[1], "--method",
                         "org.a11y.atspi.Accessible.GetChildren", address=address)
        # gdbus names the type of the first element only.
        return re.findall(r"\('([^']*)', (?:objectpath )?'([^']*)'\)", out)

    def name(self, address, ref):
        out = self._call("--dest", ref[0], "--object-path", ref[1], "--method",
                         "org.freedesktop.DBus.Properties.Get", "org.a11y.atspi.Accessible",
                         "Name", address=address)
        m = re.search(r"<'(.*)'>", out)
        return m[1] if m else None

    def find(self, address, *names):
        """The object reached from the desktop through children of these names; a name of None
        takes the first child."""
        ref = ("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
        for wanted in names:
            ref = next((child for child in self.children(address, ref)
                        if wanted is None or self.name(address, child) == wanted), None)
            if ref is None:
                return None
        return ref


COUNTDOWN = settings(
    General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
             "Application": "{application}"},
    Application={"ClosePorvaneInSeconds": "5", "CloseApplicationOnClose": "True"},
    Closing={"ShowCloseDialog": "True", "CloseTitle": "Goodbye", "ShowTimeLeft": "True",
             "TimeLeftTitle": "Time left"},
)


def countdown_read():
    """The countdown read as a screen reader reads it while it runs: the label in the window
    named by its title, every second down to 0:01, then the end; the application ends at once
    while the notice waits for its OK."""
    gate = open_gate("countdown", COUNTDOWN).start(services=[AccessibilityBus])
    bus = gate.services[0]
    gate.press(gate.window(gate.caption), "Return")
    pid, _ = gate.started()
    gate.window("Time left")
    address = bus.address()
    label = wait_for(lambda: bus.find(address, "Porvane", "Time left", None),
                     "the countdown's label on the accessibility bus")
    seen = []
    while gate.find("Time left"):
        text = bus.name(address, label)
        if text and (not seen or seen[-1][1] != text):
            seen.append((time.monotonic(), text))
    ended = time.monotonic()
    texts = [text for _, text in seen]
    print(f"countdown read: {texts}")
    check(texts[-1] == "0:01" and {"0:04", "0:03", "0:02"} <= set(texts),
          f"the countdown read {texts}")
    last = next(at for at, text in seen if text == "0:01")
    print(f"the countdown's last second, 0:01, showed {(ended - last) * 1000:.0f} ms before "
          "the end")
    gate.wait_ended(pid)
    gate.press(gate.window("Goodbye"), "Return")
    gate.ends()


SCREEN_READER = settings(
    General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf", "AgreeCaption": "&Agree",
             "DisagreeCaption": "&Disagree", "Application": "{application}"},
    Application={"ClosePorvaneInSeconds": "6", "CloseApplicationOnClose": "True"},
    Closing={"ShowCloseDialog": "True", "CloseTitle": "Goodbye",
             "CloseText": "The session has ended.", "WarnBeforeSeconds": "4, 2",
             "WarnTitle": "Ending soon", "WarnText": "Save your work."},
)


def orca_run():
    gate = open_gate("orca", SCREEN_READER).start(openbox=True, services=[ScreenReader])
    reader = gate.services[0]
    policy = gate.window(gate.caption)
    reader.hears(gate.caption, "dialog")
    gate.press(policy, "Return")
    pid, _ = gate.started()
    reader.hears("notification", "Ending soon")
    reader.hears("Save your work.")
    # The second reminder finds the warning open: it is announced again.
    wait_for(lambda: sum(line.startswith("notification Ending soon")
                         for line in reader.spoken()) >= 2,
             "Orca to announce the warning again at the second reminder", timeout=30)
    notice = gate.window("Goodbye")
    reader.hears("Goodbye", "The session has ended.")

    # Escape closes the notice, as its close box does, and so ends the run.
    gate.press(notice, "Escape")
    gate.ends()
    gate.wait_ended(pid)
    # Orca's own account of where the events came from: the program by its name, the policy
    # window a dialog by its title, the view by its name.
    log = reader.log_text()
    for what in (f"[dialog | {gate.caption}] in [application | Porvane]",
                 "[text | Usage policy] in [application | Porvane]"):
        check(what in log, f"Orca's log never names {what}")
    print("Orca said:\n  " + "\n  ".join(reader.spoken()))


if __name__ == "__main__":
    sys.exit(main([orca_run, countdown_read]))
