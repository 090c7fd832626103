"""The Linux program on real desktops: under Openbox on X, and natively on Wayland under sway."""

import sys
import time

from desktops import (PropertyWatch, check_empty_title, check_fixed_window, focused_window,
                      frame_extents, is_viewable)
from harness import Sway, check, design, design_client, main, open_gate, settings, wait_for

# Qt's own options, each of which would show if it were honoured: no X window at all, another
# style, a title on the first window.
QT_OPTIONS = ["-platform", "offscreen", "-style", "Windows", "-qwindowtitle", "Porvane",
              "-session", "porvane-test", "-reverse"]


def untitled(notice="True", **general):
    return settings(
        General={"FormCaption": "", "AgreeCaption": "Agree", "DisagreeCaption": "Disagree",
                 "PolicyFile": "policy.rtf", "Application": "{application}", **general},
        Application={"ClosePorvaneAfterAgree": "True", "CloseApplicationOnClose": "False"},
        Closing={"ShowCloseDialog": notice, "CloseTitle": "", "CloseText": "Goodbye."},
    )


def shown_window(gate, other_than=None):
    """The one visible window of the program (titles are empty here), once it is there."""
    def found():
        gate.check_alive("a window")
        ids = [w for w in gate.find("") if w != other_than]
        return ids[0] if ids else None
    return wait_for(found, "a window of the program")


def openbox_windows():
    # Openbox here gives new windows no focus of its own accord; the program takes it.
    gate = open_gate("openbox", untitled()).start(args=QT_OPTIONS, openbox=True)
    policy = shown_window(gate)
    check_empty_title(gate.env, policy, "the policy window")
    check_fixed_window(gate.env, policy, "the policy window")
    wait_for(lambda: focused_window(gate.env) == policy, "the keyboard focus on the policy window")
    # Openbox minimizes any window, hints or not (and its minimize button is there): the
    # gate comes back at once, out of the taskbar as it is.
    with PropertyWatch(gate.env, policy, "WM_STATE") as states:
        gate.xdotool("windowminimize", policy)
        # The gate may come back before xprop reads the state it was minimized to: then the
        # state was written twice (Iconic, then Normal), and xprop saw both changes.
        wait_for(lambda: "Iconic" in states.seen() or states.seen().count("window state:") >= 3,
                 "the window manager to minimize the window")
    wait_for(lambda: is_viewable(gate.env, policy) and focused_window(gate.env) == policy,
             "the policy window back, with the keyboard focus")
    # No focusing by the test: Return goes where the program put the focus, on Agree.
    gate.xdotool("key", "Return")
    gate.started()

    notice = shown_window(gate, other_than=policy)
    check_empty_title(gate.env, notice, "the closing notice")
    check_fixed_window(gate.env, notice, "the closing notice")
    wait_for(lambda: focused_window(gate.env) == notice, "the keyboard focus on the notice")
    gate.xdotool("key", "Return")
    gate.ends()


# name: (keys, configured width, configured height)
SIZES = {
    "width": ({"PolicyWidth": "640"}, 640, 0),
    "height": ({"PolicyHeight": "480"}, 0, 480),
}


def openbox_sizes():
    # A configured dimension is the outer size, one pixel more, with the frame Openbox draws;
    # the other keeps the designed client size.
    for name, (keys, width, height) in SIZES.items():
        gate = open_gate(f"openbox-{name}", untitled(notice="False", **keys)).start(openbox=True)
        policy = shown_window(gate)
        left, right, top, bottom = wait_for(lambda: frame_extents(gate.env, policy) != (0, 0, 0, 0)
                                            and frame_extents(gate.env, policy),
                                            "the frame's extents")
        designed = design_client()
        client = (width + 1 - left - right if width else designed[0],
                  height + 1 - top - bottom if height else designed[1])
        wait_for(lambda: gate.geometry(policy) == client,
                 f"{name}: a client area of {client} (it is {gate.geometry(policy)})")
        if not width:
            # Agree sits 220 twips in from the outer right edge, which is known only once the
            # frame is: a click just inside its right end misses a layout made without the frame.
            outer = client[0] + left + right
            twips = design()["twips_per_pixel"]
            agree_right = round((outer * twips - 1215 - 220) / twips) + 81
            agree_top = round((client[1] * twips - 800 + 220) / twips)
            gate.xdotool("mousemove", "--window", policy, str(agree_right - 3),
                         str(agree_top + 12), "click", "1")
            gate.started()
        else:
            gate.close_request(policy)
        gate.ends(what=name)


def wayland_run():
    sway = Sway()
    try:
        gate = open_gate("wayland", settings(
            General={"FormCaption": "", "AgreeCaption": "Agree", "DisagreeCaption": "Disagree",
                     "PolicyFile": "policy.rtf", "PolicyWidth": "640", "PolicyHeight": "480",
                     "Application": "{application}"},
            Application={"ClosePorvaneInSeconds": "1", "CloseApplicationOnClose": "True"},
            Closing={"ShowCloseDialog": "True", "CloseTitle": "", "CloseText": "Time is up."},
        )).start(sway=sway)
        pid = gate.proc.pid

        def view():
            gate.check_alive("a window on sway")
            views = sway.views(pid)
            return views[0] if views else None
        policy = wait_for(view, "the policy window on sway")
        check(policy["name"] in ("", None), f"the policy window is titled {policy['name']!r}")
        # Equal minimum and maximum sizes: sway floats such a window at its own size.
        check(policy["type"] == "floating_con", f"the policy window is {policy['type']}")
        size = (policy["geometry"]["width"], policy["geometry"]["height"])
        check(size == (641, 481), f"the policy window is {size}, not 641 x 481")
        wait_for(lambda: (view() or {}).get("focused"), "the policy window to have the focus")
        sway.type("Return")
        app, _ = gate.started()

        # The timed close unloads the policy window after a second; the notice follows.
        notice = wait_for(lambda: (v := view()) and v["id"] != policy["id"] and v,
                          "the closing notice on sway")
        check(notice["name"] in ("", None), f"the notice is titled {notice['name']!r}")
        check(notice["type"] == "floating_con", f"the notice is {notice['type']}")
        wait_for(lambda: (view() or {}).get("focused"), "the notice to have the focus")
        sway.close(pid)
        gate.ends()
        gate.wait_ended(app)
    finally:
        sway.stop()


# Qt's Wayland client could hang for good in its teardown (the main thread waiting for its event
# thread), about one run in twelve here: enough runs that a hang even one run in four cannot
# pass, each gone within moments of its close box.
CLOSE_RUNS = 20


def wayland_close_box_ends_every_time():
    sway = Sway()
    try:
        for run in range(CLOSE_RUNS):
            gate = open_gate(f"wayland-close-{run}", settings(
                General={"FormCaption": "{caption}", "AgreeCaption": "Agree",
                         "DisagreeCaption": "Disagree", "Application": "{application}"},
            )).start(sway=sway)
            pid = gate.proc.pid
            wait_for(lambda: gate.check_alive("the window") or sway.views(pid),
                     f"run {run}: the policy window on sway")
            sway.close(pid)
            closed = time.monotonic()
            gate.ends(what=f"run {run}", timeout=2)
            gate.check_nothing_started()
            print(f"run {run}: gone {time.monotonic() - closed:.2f} s after the close box")
    finally:
        sway.stop()


if __name__ == "__main__":
    sys.exit(main([openbox_windows, openbox_sizes, wayland_run,
                   wayland_close_box_ends_every_time]))
