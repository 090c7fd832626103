"""What a window manager makes of the program's windows on X, read back through xprop and
xwininfo: titles, fixed sizes, frames, focus. The desktops themselves (Openbox, sway) are in
tools/desktop_session.py.
"""

import subprocess
import tempfile

from harness import check, wait_for


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
