"""The "Porvane" session that display managers list: its command, run on a fresh X display as a
display manager runs it, shows the gate and ends when the gate ends."""

import configparser
import os
import shutil
import sys

from harness import check, main, open_gate, settings

SESSION_FILES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                             "packaging", "session")
INSTALLED = "/usr/lib/porvane/"


def session_command():
    entry = configparser.ConfigParser(interpolation=None)
    entry.read(os.path.join(SESSION_FILES, "porvane-xsession.desktop"))
    command = entry["Desktop Entry"]["Exec"]
    check(command.startswith(INSTALLED), f"the session runs {command}, not a program beside the gate")
    gate = open_gate("session", settings(
        General={"FormCaption": "{caption}", "PolicyFile": "policy.rtf",
                 "Application": "{application}"}))
    # The command as installed, beside this copy of the gate.
    gate.exe = os.path.join(gate.folder, command[len(INSTALLED):])
    shutil.copy2(os.path.join(SESSION_FILES, "porvane-session"), gate.exe)
    gate.start()
    window = gate.window(gate.caption)
    gate.press(window, "Tab", "Return")  # Disagree
    gate.ends(what="the session's command")
    gate.check_nothing_started()


if __name__ == "__main__":
    sys.exit(main([session_command]))
