"""Real desktops for the whole-program tests: Openbox on an X server, sway as a Wayland compositor.

A bare X server hides what a window manager does with a window (frame, focus, title, hints), so
some cases run the program under Openbox, and the Linux program under sway. Both come from
Debian and run headless:

- Openbox gets a private configuration and a theme whose frame is 5 px wide on each side, and,
  where asked, is made reluctant: it gives new windows no focus of its own accord.
- sway refuses to run as root, so under root (as in CI) it runs as nobody through setpriv with
  its own runtime folder; the program and the tools reach it by the socket's full path.
  `swaymsg -t get_tree` tells titles, sizes, floating and focus; `wtype` types (`grim` takes
  the screenshots in docs/).

Every wait polls for the event itself (a property set, a socket made, a window mapped).
"""

import json
import os
import shutil
import subprocess
import tempfile

from harness import check, wait_for

NOBODY = 65534

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


def x_properties(env, window, *names):
    """The properties of an X window as xprop prints them: {name: text after '=' or ':'},
    None for a property the window does not have."""
    out = subprocess.run(["xprop", "-id", str(window), *names], env=env, capture_output=True,
                         text=True, check=True).stdout
    values = {}
    current = None
    for line in out.splitlines():
        if line[:1] in ("\t", " ") and current is not None:
            values[current] += "\n" + line.strip()
            continue
        for name in names:
            if line.startswith(name + "(") or line.startswith(name + ":"):
                current = name
                if "not found" in line or "no such atom" in line:
                    values[name] = None
                    current = None
                else:
                    sep = line.find(" = ") if " = " in line else line.find(":")
                    values[name] = line[sep + 3:] if " = " in line else line[sep + 1:].strip()
                break
    return values


def motif_functions(env, window):
    """The functions word of the window's Motif hints, or None when it sets none."""
    text = x_properties(env, window, "_MOTIF_WM_HINTS")["_MOTIF_WM_HINTS"]
    if text is None:
        return None
    words = [int(w, 0) for w in text.split(",")]
    return words[1] if words[0] & 1 else None


MWM_FUNC_RESIZE, MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE = 2, 8, 16


def check_fixed_window(env, window, what):
    """The window tells the window manager it cannot be resized, minimized or maximized, and
    the window manager (Openbox) offers neither resizing nor maximizing."""
    props = x_properties(env, window, "WM_NORMAL_HINTS", "_NET_WM_ALLOWED_ACTIONS")
    hints = props["WM_NORMAL_HINTS"] or ""
    sizes = {}
    for line in hints.splitlines():
        for kind in ("minimum", "maximum"):
            if f"{kind} size:" in line:
                sizes[kind] = line.split(":", 1)[1].strip()
    check("minimum" in sizes and sizes.get("minimum") == sizes.get("maximum"),
          f"{what}: normal hints allow resizing: {hints!r}")
    functions = motif_functions(env, window)
    check(functions is not None and not functions & (MWM_FUNC_RESIZE | MWM_FUNC_MINIMIZE |
                                                     MWM_FUNC_MAXIMIZE),
          f"{what}: Motif hints allow resize, minimize or maximize ({functions})")
    actions = props["_NET_WM_ALLOWED_ACTIONS"] or ""
    for action in ("_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                   "_NET_WM_ACTION_MAXIMIZE_VERT"):
        check(action not in actions, f"{what}: the window manager allows {action}")


def check_empty_title(env, window, what):
    """Empty as the program sets it, and as the window manager shows it (Openbox writes what
    its title bar shows to _NET_WM_VISIBLE_NAME)."""
    props = x_properties(env, window, "WM_NAME", "_NET_WM_NAME", "_NET_WM_VISIBLE_NAME")
    for name, value in props.items():
        check(value in (None, '""', ""), f"{what}: {name} is {value}, not empty")


def frame_extents(env, window):
    """(left, right, top, bottom) of the frame the window manager draws around the window."""
    text = x_properties(env, window, "_NET_FRAME_EXTENTS")["_NET_FRAME_EXTENTS"]
    return tuple(int(v) for v in text.split(",")) if text else (0, 0, 0, 0)


def is_viewable(env, window):
    out = subprocess.run(["xwininfo", "-id", str(window)], env=env, capture_output=True,
                         text=True).stdout
    return "IsViewable" in out


class PropertyWatch:
    """Every value an X window property takes while the block runs (xprop -spy), so that a
    state that lasts only moments is still seen."""

    def __init__(self, env, window, name):
        self.out = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(["xprop", "-spy", "-id", str(window), name], env=env,
                                     stdout=self.out, stderr=subprocess.DEVNULL)
        wait_for(lambda: self.seen(), f"xprop to watch {name}")  # it prints the value first

    def seen(self):
        self.out.seek(0)
        return self.out.read().decode(errors="replace")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.proc.kill()
        self.proc.wait()
        self.out.close()


def focused_window(env):
    out = subprocess.run(["xdotool", "getwindowfocus"], env=env, capture_output=True, text=True)
    return out.stdout.strip()


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
        self.proc.terminate()
        try:
            self.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


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
        """What a Wayland client of ours needs: the display by its full path, its own runtime
        folder (Qt wants one it owns), no X display."""
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        runtime = os.path.join(root, "xdg")
        os.makedirs(runtime, 0o700, exist_ok=True)
        env.update(WAYLAND_DISPLAY=self.display, XDG_RUNTIME_DIR=runtime,
                   QT_QPA_PLATFORM="wayland")
        return env

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
        self.proc.terminate()
        try:
            self.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.runtime, ignore_errors=True)
