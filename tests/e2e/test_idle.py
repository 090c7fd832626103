"""The idle end on each Linux desktop: the desktop's own count of the user's input, on X11 under
a window manager and on Wayland under sway. The warning comes two seconds after the last input;
input takes it away and starts the count again, so a user who answers it keeps the session for
as long as they like; without input the session ends IdleSeconds after the last one, as at a
time limit (the application ended at once, the closing notice shown). Each case prints the
measured idle end."""

import sys
import time

from desktops import focused_window
from harness import Sway, check, is_running, main, open_gate, settings, wait_for

IDLE_SECONDS = 5
WARN_SECONDS = 3  # the warning comes after two seconds without input
ROUNDS = 3  # warnings answered: the session outlives IdleSeconds several times over

IDLE = settings(
    General={"FormCaption": "{caption}", "AgreeCaption": "Agree", "PolicyFile": "policy.rtf",
             "Application": "{application}"},
    Application={"IdleSeconds": str(IDLE_SECONDS), "CloseApplicationOnClose": "True"},
    Closing={"IdleWarnSeconds": str(WARN_SECONDS), "IdleWarnTitle": "Still there?",
             "IdleWarnText": "Move the mouse to keep your session.",
             "ShowCloseDialog": "True", "CloseTitle": "Session over", "CloseText": "Bye."},
)


def measured(last_input, app):
    """Checks the idle end against IdleSeconds and says what it was."""
    seconds = time.monotonic() - last_input
    print(f"idle end {seconds:.2f} s after the last input (IdleSeconds={IDLE_SECONDS})")
    # The input is a little older than the moment its tool returned, never younger.
    check(seconds >= IDLE_SECONDS - 0.3, f"the session ended {seconds:.2f} s after the last "
          f"input, before IdleSeconds={IDLE_SECONDS}")
    check(not is_running(app), "the application outlived the idle end")


def idle_x11():
    gate = open_gate("idle", IDLE).start(openbox=True)
    gate.press(gate.window(gate.caption), "Return")
    gate.wait_hidden(gate.caption)
    app, _ = gate.started()
    for step in range(ROUNDS):
        warning = gate.window("Still there?")
        check(focused_window(gate.env) != warning, "the idle warning took the keyboard focus")
        check(is_running(app), "the application ended with the idle warning")
        # Input anywhere counts: the pointer moves over the root window, not one of ours.
        gate.xdotool("mousemove", str(200 + 50 * step), "900")
        last_input = time.monotonic()
        gate.wait_hidden("Still there?")
    gate.window("Still there?")
    gate.wait_ended(app)
    measured(last_input, app)
    gate.close_request(gate.window("Session over"))
    gate.ends()
    check(not any("idle" in line for line in gate.log_lines()), "no idle source on X11")


def idle_wayland():
    sway = Sway()
    try:
        gate = open_gate("idle-wayland", IDLE).start(sway=sway)
        pid = gate.proc.pid

        def view(name):
            gate.check_alive(f"{name!r} on sway")
            return next((v for v in sway.views(pid) if v.get("name") == name), None)
        wait_for(lambda: (view(gate.caption) or {}).get("focused"), "the focused policy window")
        sway.type("Return")
        app, _ = gate.started()
        for _ in range(ROUNDS):
            wait_for(lambda: view("Still there?"), "the idle warning on sway")
            check(is_running(app), "the application ended with the idle warning")
            sway.type("Shift_L")
            last_input = time.monotonic()
            wait_for(lambda: not view("Still there?"), "input to take the idle warning away")
        gate.wait_ended(app)
        measured(last_input, app)
        wait_for(lambda: view("Session over"), "the closing notice on sway")
        sway.close(pid)
        gate.ends()
        check(not any("idle" in line for line in gate.log_lines()), "no idle source on sway")
    finally:
        sway.stop()


if __name__ == "__main__":
    sys.exit(main([idle_x11, idle_wayland]))
