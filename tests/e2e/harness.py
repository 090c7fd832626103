"""The one whole-program harness, for both programs: the Linux program on its own X server
(Gate), and Porvane.exe under Wine on the test's display (WineGate). Each script's table of
cases is the one list of them: `script.py --list` prints it, and CMake registers a test for
each name; `script.py CASE` runs one.

Linux: every case gets a fresh Xvfb (keyboard focus is global to a display, so two cases
sharing one would type into each other's windows), a temporary folder holding its own copy of
the program, its own Porvane.ini and policy document, and the recorder as the application
Agree starts. This process makes itself a child subreaper, so a started application that
outlives the program is re-parented to us: we can tell "still running" from "ended" by its
/proc state and reap it ourselves. Environment: PORVANE_EXE (the built program),
PORVANE_KEEPER (the keeper installed beside it), PORVANE_RECORDER (the recorder),
PORVANE_XCLOSE (sends a window manager's close request).

Windows: see WineGate. Environment: PORVANE_EXE (Porvane.exe), PORVANE_HELPER (the helper of
tests/win32), PORVANE_POLICY (a policy document), and DISPLAY.
"""
import ctypes
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from desktop_session import (POLL, TIMEOUT, Failure, Openbox, Sway, XServer,  # noqa: E402,F401
                             check, wait_for)

PR_SET_CHILD_SUBREAPER = 36

_gates = []  # every Gate of the running case, for clean-up


def _make_subreaper():
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER)")


# ---- processes --------------------------------------------------------------------------------

def process_state(pid):
    """The one-letter state of a process ('S', 'R', 'Z', ...), or None when it does not exist."""
    try:
        with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as f:
            stat = f.read()
    except (FileNotFoundError, ProcessLookupError):
        return None
    # The command name is in parentheses and may itself hold blanks or parentheses.
    return stat[stat.rindex(")") + 2]


def _reap(pid):
    try:
        os.waitpid(pid, os.WNOHANG)
    except ChildProcessError:
        pass


def has_ended(pid):
    state = process_state(pid)
    if state == "Z":
        _reap(pid)
        return True
    return state is None


def is_running(pid):
    state = process_state(pid)
    return state is not None and state != "Z"


# ---- the program under test -------------------------------------------------------------------

def design():
    """The design the program is built with, as the build wrote it (PORVANE_DESIGN, made by
    e2e_design from the program's own constants): client_width and client_height, the policy
    window's designed client area in pixels at 96 dpi (the tests' screens), and
    twips_per_pixel there."""
    with open(os.environ["PORVANE_DESIGN"], encoding="utf-8") as f:
        return json.load(f)


def design_client():
    """The policy window's designed client area in pixels, (width, height)."""
    d = design()
    return d["client_width"], d["client_height"]

SAMPLE_POLICY = (
    r"{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}"
    r"\pard\b Acceptable use\b0\par "
    r"\pard Use this computer for your studies only.\par}"
)


class _Windows:
    """What both gates share: the program's windows found by their titles, while it runs. A gate
    gives find(title), proc and the time it allows."""

    timeout = TIMEOUT

    def window(self, title, timeout=None):
        """Waits until a window titled `title` is shown; returns its id."""
        def shown():
            self.check_alive(f'the window "{title}"')
            found = self.find(title)
            return found[0] if found else None
        return wait_for(shown, f'a window titled "{title}"', timeout or self.timeout)

    def wait_hidden(self, title, timeout=None):
        wait_for(lambda: not self.find(title), f'the window "{title}" to go',
                 timeout or self.timeout)

    def check_alive(self, waiting_for):
        status = self.proc.poll()
        if status is not None:
            raise Failure(f"the program ended with status {status} while we waited for "
                          f"{waiting_for}")


class Gate(_Windows):
    """One copy of the program in its own folder, with its own settings and X server."""

    def __init__(self, name, settings, policy=SAMPLE_POLICY, app_args=()):
        self.name = name
        self.app_args = list(app_args)
        self.root = tempfile.mkdtemp(prefix=f"porvane-e2e-{name}-")
        # A blank in the program's folder checks that the settings path and the application's
        # command line survive it.
        self.folder = os.path.join(self.root, "gate dir")
        os.mkdir(self.folder)
        self.exe = os.path.join(self.folder, "porvane")
        shutil.copy2(os.environ["PORVANE_EXE"], self.exe)
        shutil.copy2(os.environ["PORVANE_KEEPER"], self.folder)
        self.pid_file = os.path.join(self.folder, "started pid")
        self.caption = f"Porvane e2e {name} {os.getpid()}"
        if policy is not None:
            with open(os.path.join(self.folder, "policy.rtf"), "w", encoding="ascii") as f:
                f.write(policy)
        self.write_settings(settings)
        self.x = None
        self.wm = None
        self.services = []
        self.proc = None
        self.log = os.path.join(self.root, "porvane.log")
        self.started_pids = []

    def application_line(self, *args):
        """A command line that starts the recorder, which records into pid_file."""
        words = [os.environ["PORVANE_RECORDER"], self.pid_file, *args]
        return " ".join('"' + w + '"' if " " in w else w for w in words)

    def write_settings(self, settings):
        """settings: text of Porvane.ini; {caption} and {application} are filled in."""
        text = settings.format(caption=self.caption,
                               application=self.application_line(*self.app_args))
        with open(os.path.join(self.folder, "Porvane.ini"), "w", encoding="utf-8") as f:
            f.write(text)

    def remove_settings(self):
        os.remove(os.path.join(self.folder, "Porvane.ini"))

    def start(self, args=(), openbox=False, sway=None, services=(), wrap=()):
        """Starts the program with the given command-line arguments on a private X server
        (under a reluctant Openbox if asked), or on the given sway. services: what else the
        desktop runs, each made as service(env, folder) once the display is up; it gives the
        environment the program then gets and is stopped with the case. wrap: a command line
        the program is started through, which ends by starting it in its own process (setpriv,
        to run it as another user)."""
        if sway is not None:
            env = sway.client_env(self.root)
        else:
            self.x = XServer(self.root)
            env = self.x.env
            if openbox:
                self.wm = Openbox(env, self.root)
        for make in services:
            self.services.append(make(env, self.root))
            env = self.services[-1].env
        self.env = env
        with open(self.log, "wb") as log:
            # Started from another folder: the program must find its settings beside itself.
            self.proc = subprocess.Popen([*wrap, self.exe, *args], cwd=self.root, env=env,
                                         stdout=log, stderr=subprocess.STDOUT)
        return self

    # ---- windows ----

    def xdotool(self, *args, timeout=TIMEOUT):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              timeout=timeout)

    def find(self, title):
        """Ids of this program's visible windows titled exactly `title`."""
        result = self.xdotool("search", "--all", "--onlyvisible", "--pid", str(self.proc.pid),
                              "--name", "^" + re.escape(title) + "$")
        return [line for line in result.stdout.split() if line.strip()]

    def geometry(self, window):
        """(width, height) of a window, in pixels."""
        result = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in result.stdout.split() if "=" in line)
        return int(values["WIDTH"]), int(values["HEIGHT"])

    def press(self, window, *keys):
        """Gives the window the keyboard focus, as a click on it would, then types keys."""
        self.xdotool("windowfocus", "--sync", window)
        for key in keys:
            self.xdotool("key", "--clearmodifiers", key)

    def close_request(self, window):
        """What a window manager sends when the user presses a title bar's close box."""
        subprocess.run([os.environ["PORVANE_XCLOSE"], window], env=self.env, check=True,
                       timeout=TIMEOUT)

    # ---- the program and what it started ----

    def wait_exit(self, timeout=TIMEOUT):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end within {timeout:.0f} s") from None

    def ends(self, status=0, what="the program", timeout=TIMEOUT):
        """The program ends within the timeout, with this exit status."""
        got = self.wait_exit(timeout)
        check(got == status, f"{what}: exit status {got}, not {status}")

    def log_lines(self):
        """The lines the program wrote for its message boxes, without the "porvane: " prefix."""
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return [l[len("porvane: "):] for l in f.read().splitlines()
                    if l.startswith("porvane: ")]

    def signal(self, signum):
        self.proc.send_signal(signum)

    def started(self, timeout=TIMEOUT):
        """Waits for the started application's record; returns (pid, [args])."""
        wait_for(lambda: os.path.exists(self.pid_file), "the application to start", timeout)
        with open(self.pid_file, encoding="utf-8") as f:
            lines = f.read().splitlines()
        pid = int(lines[0])
        self.started_pids.append(pid)
        return pid, lines[1:]

    def applications_alive(self):
        """Live processes whose command line names our record file: the started application,
        whether or not it got as far as writing its record."""
        alive = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    args = f.read().split(b"\0")
            except OSError:
                continue
            if self.pid_file.encode() in args and is_running(int(entry)):
                alive.append(int(entry))
        return alive

    def check_nothing_started(self):
        check(not os.path.exists(self.pid_file), "an application was started")

    def wait_ended(self, pid, what="the started application", timeout=TIMEOUT):
        wait_for(lambda: has_ended(pid), f"{what} (pid {pid}) to end", timeout)

    # ---- clean-up ----

    def describe(self):
        """What a failed case leaves for the reader: the program's output and the windows."""
        lines = [f"case folder: {self.root}"]
        if os.path.exists(self.log):
            with open(self.log, encoding="utf-8", errors="replace") as f:
                lines.append("program output:\n" + f.read())
        if self.x is not None:
            tree = subprocess.run(["xwininfo", "-root", "-tree"], env=self.x.env,
                                  capture_output=True, text=True)
            shown = [l for l in tree.stdout.splitlines() if '"' in l]
            lines.append("windows:\n" + "\n".join(shown))
        return "\n".join(lines)

    def close(self, keep):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for pid in self.started_pids:
            if is_running(pid):
                os.kill(pid, signal.SIGKILL)
            wait_for(lambda: has_ended(pid), f"pid {pid} to go", timeout=5)
        for service in reversed(self.services):
            service.stop()
        if self.wm is not None:
            self.wm.stop()
        if self.x is not None:
            self.x.stop()
        if not keep:
            shutil.rmtree(self.root, ignore_errors=True)


def settings(**sections):
    """Porvane.ini text from {"General": {"FormCaption": "{caption}"}, ...}-style keywords."""
    out = []
    for section, keys in sections.items():
        out.append(f"[{section}]")
        out.extend(f"{key}={value}" for key, value in keys.items())
        out.append("")
    return "\n".join(out)


LINUX_NEEDS = ("PORVANE_EXE", "PORVANE_KEEPER", "PORVANE_RECORDER", "PORVANE_XCLOSE")


def main(cases, needs=LINUX_NEEDS):
    """Runs the case named on the command line, or with --list prints every case's name, one a
    line. cases: {name: function}, or the functions themselves under their own names; a case
    takes nothing and opens its gates with open_gate or open_wine_gate. needs: the environment
    variables the cases read."""
    if not isinstance(cases, dict):
        cases = {case.__name__: case for case in cases}
    if sys.argv[1:] == ["--list"]:
        print("\n".join(cases))
        return 0
    if len(sys.argv) != 2 or sys.argv[1] not in cases:
        print(f"usage: {sys.argv[0]} --list | CASE  (one of: {', '.join(cases)})",
              file=sys.stderr)
        return 2
    for var in needs:
        if var not in os.environ:
            print(f"{var} is not set", file=sys.stderr)
            return 2
    _make_subreaper()
    gates = _gates
    try:
        cases[sys.argv[1]]()
    except Exception:
        traceback.print_exc()
        for gate in gates:
            print(gate.describe(), file=sys.stderr)
            gate.close(keep=True)
        return 1
    for gate in gates:
        gate.close(keep=False)
    print(f"{sys.argv[1]}: passed")
    return 0


def open_gate(name, text, **kwargs):
    """A Gate that main() cleans up, whatever the case's outcome."""
    gate = Gate(name, text, **kwargs)
    _gates.append(gate)
    return gate


# ---- Porvane.exe under Wine -------------------------------------------------------------------

# Wine starts and paints more slowly than the native program.
WINE_TIMEOUT = 20.0


def read_text(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read().strip()
    except OSError:
        return None


class WineGate(_Windows):
    """Porvane.exe under Wine in a folder of its own, on the test's display, with its own
    Porvane.ini, the policy file and the helper program as its application (the helper records
    its process id and rewrites a heartbeat file every 100 ms while it runs).

    Wine's windows are X windows. Wine asks the window manager not to decorate a tool window
    (WS_EX_TOOLWINDOW, the policy window): it draws its frame and title bar itself, inside the
    X toplevel, so that X window's size *is* the Windows outer size (GetWindowRect), with or
    without a window manager. (A managed window, such as the closing notice, is different: its
    X window is the client area and a window manager would add the frame; under Xvfb there is
    none, so the notice shows without a title bar there. Its title is still the X window's
    name.)"""

    timeout = WINE_TIMEOUT

    def __init__(self, name, ini, policy=True):
        self.root = tempfile.mkdtemp(prefix=f"porvane-e2e-{name}-")
        self.exe = os.path.join(self.root, "Porvane.exe")
        shutil.copy(os.environ["PORVANE_EXE"], self.exe)
        self.helper = os.path.join(self.root, "helper.exe")
        shutil.copy(os.environ["PORVANE_HELPER"], self.helper)
        if policy:
            shutil.copy(os.environ["PORVANE_POLICY"], os.path.join(self.root, "policy.rtf"))
        self.pid_file = os.path.join(self.root, "pid.txt")
        self.beat_file = os.path.join(self.root, "beat.txt")
        self.env = dict(os.environ, WINEDEBUG=os.environ.get("WINEDEBUG", "-all"))
        self.write_settings(ini)
        self.proc = None
        self.bystander = None
        self.watcher = None

    def write_settings(self, ini):
        """ini: text of Porvane.ini; @HELPER@ becomes the helper's command line, @HELPER_EXE@
        its quoted path."""
        # The program's path in quotes, the arguments without: a value that both starts and
        # ends with a quote loses that pair when the profile is read.
        ini = ini.replace("@HELPER@", '"%s" %s %s' % (
            self.windows_path("helper.exe"), self.windows_path("pid.txt"),
            self.windows_path("beat.txt")))
        ini = ini.replace("@HELPER_EXE@", '"%s"' % self.windows_path("helper.exe"))
        with open(os.path.join(self.root, "Porvane.ini"), "w", newline="\r\n") as f:
            f.write(ini)

    def windows_path(self, name):
        # Wine's drive Z: is the Unix root.
        return "Z:" + os.path.join(self.root, name).replace("/", "\\")

    def start(self):
        self.proc = subprocess.Popen(["wine", self.exe], cwd=self.root, env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    # ---- windows ----

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                                timeout=WINE_TIMEOUT)
        return result.stdout.strip()

    def find(self, title):
        """The mapped X windows of Porvane.exe titled exactly `title`."""
        ids = self.xdotool("search", "--onlyvisible", "--class", "porvane.exe").split()
        return [w for w in ids if self.xdotool("getwindowname", w) == title]

    def geometry(self, window):
        """(width, height) of a window, in pixels."""
        out = self.xdotool("getwindowgeometry", window)
        m = re.search(r"Geometry:\s*(\d+)x(\d+)", out)
        check(m is not None, f"no geometry for window {window}: {out!r}")
        return int(m.group(1)), int(m.group(2))

    def click(self, window, x, y):
        """A real pointer click (XTEST) at window-relative coordinates."""
        self.xdotool("mousemove", "--window", window, str(x), str(y))
        time.sleep(0.1)
        self.xdotool("click", "1")

    def press(self, window, *keys):
        """A real key press (XTEST) with the input focus on the window."""
        self.xdotool("windowfocus", window)
        time.sleep(0.2)
        for key in keys:
            self.xdotool("key", key)

    def box_text(self, title):
        """The text of this program's message box titled `title`, read by the helper."""
        out = os.path.join(self.root, "box.txt")
        subprocess.run(["wine", self.helper, "--box-text", title, self.windows_path("box.txt")],
                       env=self.env, timeout=WINE_TIMEOUT, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        check(os.path.exists(out), f"no message box titled {title!r} to read")
        with open(out, encoding="utf-8") as f:
            return f.read()

    def watch_text(self, title):
        """Starts the helper watching the text of this program's window titled `title` as a
        screen reader reads it (WM_GETTEXT on its static control); returns the file it writes,
        one "MS TEXT" line per text seen and "MS gone" once the window has gone."""
        self.watcher = subprocess.Popen(
            ["wine", self.helper, "--watch-text", title, self.windows_path("watched.txt")],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return os.path.join(self.root, "watched.txt")

    # ---- the program and what it started ----

    def wait_exit(self, timeout=WINE_TIMEOUT):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"Porvane.exe did not end within {timeout:.0f} s") from None

    def ends(self, after, status=0):
        """The program ends, with this status, after `after`."""
        got = self.wait_exit()
        check(got == status, f"exit status {got} after {after}, expected {status}")

    def helper_pid(self, timeout=WINE_TIMEOUT):
        """The started application's process id, once it has recorded it."""
        return int(wait_for(lambda: read_text(self.pid_file), "the application to start",
                            timeout))

    def helper_running(self, beat_file=None):
        """True while the heartbeat changes (it is rewritten every 100 ms)."""
        before = read_text(beat_file or self.beat_file)
        time.sleep(0.6)
        return read_text(beat_file or self.beat_file) != before

    def start_bystander(self):
        """The helper with the application's arguments, started outside Porvane from a folder of
        its own; returns its heartbeat file."""
        folder = os.path.join(self.root, "bystander")
        os.mkdir(folder)
        self.bystander = subprocess.Popen(["wine", self.helper, "pid.txt", "beat.txt"],
                                          cwd=folder, env=self.env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL)
        beat = os.path.join(folder, "beat.txt")
        wait_for(lambda: os.path.exists(beat), "the bystander to start")
        return beat

    # ---- clean-up ----

    def describe(self):
        return f"case folder: {self.root}"

    def close(self, keep):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        # A helper that a failed run left behind, by its own process id.
        pid = read_text(self.pid_file)
        if pid and self.helper_running():
            subprocess.run(["wine", "taskkill", "/f", "/pid", pid], env=self.env,
                           capture_output=True)
        for proc in (self.bystander, self.watcher):
            if proc is not None:
                proc.kill()
                proc.wait()
        if not keep:
            shutil.rmtree(self.root, ignore_errors=True)


def open_wine_gate(name, ini, **kwargs):
    """A WineGate that main() cleans up, whatever the case's outcome."""
    gate = WineGate(name, ini, **kwargs)
    _gates.append(gate)
    return gate


class WineGuard:
    """PorvaneGuard.exe as a service of the Wine prefix the case runs in (WINEPREFIX), from a
    folder of its own holding its Porvane.ini, PorvaneCtl.exe and the fake gate of tests/win32.
    Wine's services live only while the prefix's wineserver does; tools/with-wine-prefix keeps it
    up (wineserver -p). Environment: PORVANE_GUARD, PORVANE_CTL, PORVANE_FAKEGATE."""

    timeout = WINE_TIMEOUT

    def __init__(self, name, ini):
        self.root = tempfile.mkdtemp(prefix=f"porvane-e2e-{name}-")
        for var, exe in (("PORVANE_GUARD", "PorvaneGuard.exe"), ("PORVANE_CTL", "PorvaneCtl.exe"),
                         ("PORVANE_FAKEGATE", "fakegate.exe")):
            shutil.copy(os.environ[var], os.path.join(self.root, exe))
        with open(os.path.join(self.root, "Porvane.ini"), "w", newline="\r\n") as f:
            f.write(ini)
        self.env = dict(os.environ, WINEDEBUG=os.environ.get("WINEDEBUG", "-all"))
        self.log_file = os.path.join(os.environ["WINEPREFIX"], "drive_c", "ProgramData",
                                     "Porvane", "guard.log")
        self.installed = False
        self.gates = []

    def windows_path(self, name):
        return "Z:" + os.path.join(self.root, name).replace("/", "\\")

    def wine(self, *args):
        """Runs a Windows program to its end; (exit status, standard output)."""
        result = subprocess.run(["wine", *args], cwd=self.root, env=self.env,
                                capture_output=True, text=True, timeout=self.timeout)
        return result.returncode, result.stdout.replace("\r\n", "\n")

    def sc(self, *args):
        status, out = self.wine("sc", *args)
        check(status == 0, f"sc {' '.join(args)} failed ({status}): {out}")
        return out

    def install(self):
        """sc create, as the installer would (automatic start, LocalSystem)."""
        self.sc("create", "PorvaneGuard", "binPath=", self.windows_path("PorvaneGuard.exe"),
                "start=", "auto")
        self.installed = True
        return self

    def start(self):
        self.sc("start", "PorvaneGuard")
        self.wait_log("started")
        return self

    def state(self):
        """RUNNING, STOPPED, ... as sc query reports it, or None with no such service."""
        status, out = self.wine("sc", "query", "PorvaneGuard")
        m = re.search(r"STATE\s*:\s*\d+\s+(\w+)", out)
        return m.group(1) if status == 0 and m else None

    def log(self):
        return read_text(self.log_file) or ""

    def wait_log(self, text, timeout=None):
        """Waits until the guard's log holds `text`; returns the log."""
        return wait_for(lambda: text in self.log() and self.log(), f'"{text}" in guard.log',
                        timeout or self.timeout)

    def ctl(self, *args):
        """PorvaneCtl.exe with these arguments: (exit status, standard output)."""
        return self.wine(self.windows_path("PorvaneCtl.exe"), *args)

    def fake_gate(self, name="gate", agree=True):
        """The fake gate, connected and (unless told otherwise) agreed; returns the file of what
        it has heard and its Windows process id. Its Unix process is self.gates[-1]."""
        out = os.path.join(self.root, f"{name}.txt")
        self.gates.append(subprocess.Popen(
            ["wine", self.windows_path("fakegate.exe"), "gate" if agree else "hello",
             self.windows_path(f"{name}.txt")],
            cwd=self.root, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        lines = 3 if agree else 2
        heard = wait_for(lambda: len(self.heard(out)) >= lines and self.heard(out),
                         "the fake gate to speak", self.timeout)
        return out, int(heard[0].split()[1])

    def restart(self):
        """sc stop, then sc start: the guard comes back with what it kept."""
        self.sc("stop", "PorvaneGuard")
        wait_for(lambda: self.state() == "STOPPED", "the guard to stop")
        marks = self.log().count("started, settings")
        self.sc("start", "PorvaneGuard")
        wait_for(lambda: self.log().count("started, settings") > marks, "the guard to start again")

    @staticmethod
    def heard(path):
        return (read_text(path) or "").splitlines()

    def send(self, how, message=""):
        """One message (`how` "send") or an overlong one ("long"); returns the guard's reply."""
        out = os.path.join(self.root, "sent.txt")
        self.wine(self.windows_path("fakegate.exe"), how, self.windows_path("sent.txt"), message)
        return read_text(out)

    def describe(self):
        return f"case folder: {self.root}\nguard.log:\n{self.log()}"

    def close(self, keep):
        for proc in self.gates:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        if self.installed:
            self.wine("sc", "stop", "PorvaneGuard")
            wait_for(lambda: self.state() in ("STOPPED", None), "the guard to stop")
            self.wine("sc", "delete", "PorvaneGuard")
        if not keep:
            shutil.rmtree(self.root, ignore_errors=True)


def open_wine_guard(name, ini):
    """A WineGuard that main() stops and removes, whatever the case's outcome."""
    guard = WineGuard(name, ini)
    _gates.append(guard)
    return guard
