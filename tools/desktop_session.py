"""A private desktop for driving or measuring the program: an Xvfb of its own, Openbox on it, or
a headless sway as a Wayland compositor. The whole-program tests and the start-up measurement
both use it, so that what they show the program is the same desktop.

- Openbox gets a private configuration and a theme whose frame is 5 px wide on each side, and,
  where asked, is made reluctant: it gives new windows no focus of its own accord.
- sway refuses to run as root, so under root (as in CI) it runs as nobody through setpriv with
  its own runtime folder; the program and the tools reach it by the socket's full path.

Every wait polls for the event itself (a display number written, a property set, a socket
made), never a fixed time.
"""

import json
import os
import shutil
import subprocess
import tempfile
import time

POLL = 0.05  # seconds between two looks at the display or a process
TIMEOUT = 10.0  # generous: the machine is shared and Xvfb paints slowly under load

NOBODY = 65534

# What would send a program of ours to the caller's own desktop instead of the private one.
DESKTOP_VARS = ("DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(predicate, what, timeout=TIMEOUT):
    """Polls predicate until it returns something true; that value is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(POLL)


def stop_process(proc):
    """Asks a server to end, and makes sure it has."""
    proc.terminate()
    try:
        proc.wait(timeout=5)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def client_env(runtime_parent=None, **display):
    """The environment of a program shown on a private desktop: none of the caller's desktop,
    the given display variables, and a runtime folder of its own (Qt wants one it owns)."""
    env = {k: v for k, v in os.environ.items() if k not in DESKTOP_VARS}
    env["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="porvane-xdg-", dir=runtime_parent)
    env.update(display)
    return env


class XServer:
    """A private Xvfb; env is what a program shown on it needs."""

    def __init__(self, runtime_parent=None):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd, "rb") as pipe:
            number = pipe.readline().strip()
        if not number.isdigit():
            stop_process(self.proc)
            raise Failure("Xvfb did not report a display number")
        self.display = ":" + number.decode()
        self.env = client_env(runtime_parent, DISPLAY=self.display)

    def stop(self):
        stop_process(self.proc)
        shutil.rmtree(self.env["XDG_RUNTIME_DIR"], ignore_errors=True)


OPENBOX_THEME = """border.width: 5
padding.width: 3
window.handle.width: 0
"""

OPENBOX_RC = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>{focus_new}</focusNew><followMouse>no</followMouse></focus>
  <theme><name>porvane-test</name></theme>
</openbox_config>
"""


class Openbox:
    """Openbox on the X display of env; reluctant: it focuses no new window by itself."""

    def __init__(self, env, root, reluctant=True):
        self.dir = os.path.join(root, "openbox")
        theme = os.path.join(self.dir, "data", "themes", "porvane-test", "openbox-3")
        os.makedirs(theme)
        with open(os.path.join(theme, "themerc"), "w", encoding="ascii") as f:
            f.write(OPENBOX_THEME)
        rc = os.path.join(self.dir, "rc.xml")
        with open(rc, "w", encoding="ascii") as f:
            f.write(OPENBOX_RC.format(focus_new="no" if reluctant else "yes"))
        wm_env = dict(env, XDG_DATA_HOME=os.path.join(self.dir, "data"),
                      XDG_CONFIG_HOME=os.path.join(self.dir, "config"))
        self.proc = subprocess.Popen(["openbox", "--sm-disable", "--config-file", rc],
                                     env=wm_env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

        def running():
            check(self.proc.poll() is None, "openbox ended at start")
            out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env,
                                 capture_output=True, text=True).stdout
            return "window id" in out
        wait_for(running, "openbox to manage the display")

    def stop(self):
        stop_process(self.proc)


class Sway:
    """A headless sway, as nobody when we are root."""

    def __init__(self):
        self.runtime = tempfile.mkdtemp(prefix="porvane-sway-")
        os.chmod(self.runtime, 0o700)
        self.as_root = os.geteuid() == 0
        if self.as_root:
            os.chown(self.runtime, NOBODY, NOBODY)
        config = os.path.join(self.runtime, "config")
        with open(config, "w", encoding="ascii") as f:
            f.write("xwayland disable\noutput HEADLESS-1 resolution 1280x1024\n")
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "XDG_RUNTIME_DIR": self.runtime,
               "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman",
               "WLR_LIBINPUT_NO_DEVICES": "1"}
        prefix = []
        if self.as_root:
            os.chown(config, NOBODY, NOBODY)
            prefix = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"]
        self.log = os.path.join(self.runtime, "sway.log")
        with open(self.log, "wb") as log:
            self.proc = subprocess.Popen(prefix + ["sway", "-c", config], env=env, stdout=log,
                                         stderr=subprocess.STDOUT)

        def sockets():
            check(self.proc.poll() is None, "sway ended at start:\n" + self.output())
            names = os.listdir(self.runtime)
            ipc = [n for n in names if n.startswith("sway-ipc.")]
            return ipc[0] if ipc and "wayland-1" in names else None
        self.display = os.path.join(self.runtime, "wayland-1")
        self.ipc = os.path.join(self.runtime, wait_for(sockets, "sway's sockets"))
        wait_for(lambda: self.outputs(), "sway's output")

    def output(self):
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return f.read()

    def client_env(self, root):
        """What a Wayland client of ours needs: the display by its full path, no X display."""
        return client_env(root, WAYLAND_DISPLAY=self.display, QT_QPA_PLATFORM="wayland")

    def msg(self, *args):
        out = subprocess.run(["swaymsg", "-s", self.ipc, *args], capture_output=True, text=True,
                             timeout=10)
        return out.stdout

    def outputs(self):
        return json.loads(self.msg("-t", "get_outputs") or "[]")

    def views(self, pid):
        """The windows of process pid, as get_tree describes them."""
        found = []

        def walk(node):
            if node.get("pid") == pid:
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)
        walk(json.loads(self.msg("-t", "get_tree")))
        return found

    def close(self, pid):
        """What the close box of a window's title bar does: the toplevel is asked to close."""
        self.msg(f"[pid={pid}] kill")

    def type(self, key):
        """One key to the focused window, through a new virtual keyboard (which wants a moment
        before its first key)."""
        subprocess.run(["wtype", "-s", "500", "-k", key], env=self.tool_env(), check=True,
                       timeout=10)

    def tool_env(self):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        env.update(WAYLAND_DISPLAY=self.display, XDG_RUNTIME_DIR=self.runtime)
        return env

    def stop(self):
        stop_process(self.proc)
        shutil.rmtree(self.runtime, ignore_errors=True)
