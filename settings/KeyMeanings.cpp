// What each key of the table means, as the settings reference says it: plain sentences, no
// markup, no words on when the key is read (the table says that, and the reference adds it).
// Kept apart from the table so that the prose can be laid out and commented; the reference's
// test holds the two together, a meaning for every key and a key for every meaning.
#include "settings/KeyMeanings.h"

#include <string>

#include "policy/PolicyRules.h"

namespace settings {
namespace {

struct Meaning {
    const KeySpec& key;
    std::string_view text;
    // Only where the key's default is not the reader's neutral value.
    std::string_view defaultText = {};
};

constexpr Meaning kMeanings[] = {
    // ---- [General] ----
    {key::FormCaption, "Title of the policy window."},
    {key::DisagreeCaption,
     "Text of the Disagree button; an & marks the letter of its access key (&& shows an &). "
     "Empty leaves the button blank. A button holds about 10 characters at the designed size."},
    {key::AgreeCaption, "Text of the Agree button, as for DisagreeCaption."},
    {key::PolicyFile,
     "The policy document, RTF; a file that is not RTF is shown as plain text. A relative path "
     "is taken from the program's folder. Empty: an empty view. A missing file ends Porvane with "
     "Run-time error 53 and the path it looked for."},
    // The designed size itself is added from the policy window's design (see meaningOf).
    {key::PolicyWidth,
     "Outer width of the policy window in pixels, with the frame the window manager draws; the "
     "window comes out one pixel wider than written. 0 keeps the designed client width. On "
     "Wayland, where no program learns the compositor's frame, the window's own width."},
    {key::PolicyHeight,
     "Outer height of the policy window in pixels, as for PolicyWidth (one pixel more than "
     "written, frame included); 0 keeps the designed client height."},
    {key::Application,
     "Command line started on Agree, for example firefox --kiosk \"https://example.org\". Empty, "
     "or a program that cannot be found or run, ends Porvane with a run-time error (5, 53 or 70) "
     "that names the program. A value wholly inside one pair of quotes loses them: put one more "
     "pair around a command line that starts with a quoted program and ends with a quoted "
     "argument."},

    // ---- [Application] ----
    {key::ClosePorvaneAfterAgree,
     "True: the policy window unloads right after the application started, so no time limit "
     "runs."},
    {key::ClosePorvaneInSeconds,
     "Seconds after Agree at which the policy window unloads itself; 0: no timed close. With "
     "CloseApplicationOnClose this is a time limit."},
    // Read at the end, and also at Agree: the one key read twice, so its meaning says why.
    {key::CloseApplicationOnClose,
     "True: when Porvane ends after Agree, the application it started is ended, with every "
     "process it started in turn. Read at that moment, so a change made while Porvane runs "
     "counts. When time ends the session (the timed close, CloseAt, IdleSeconds), the "
     "application is ended at that moment, before the closing notice shows, so a user who never "
     "presses OK gets no more time; every other end waits for the notice's OK. Also read at "
     "Agree, for a Porvane that is killed or crashes and so never reaches its end: True then "
     "ends the application with it."},
    {key::LogOffOnClose,
     "True: whenever Porvane ends in order, the user's desktop session ends too (logs off), so "
     "the next user finds the login screen and not the last one's desktop, programs and open "
     "files. That is every end: Disagree and the close box (a user who does not accept the rules "
     "does not use the computer), the timed close, the closing notice's OK, an end asked for "
     "from outside. After Agree the application is ended first, as CloseApplicationOnClose "
     "says. Windows: ExitWindowsEx with EWX_FORCEIFHUNG, so a hung program cannot hold the "
     "session. Linux: logind is asked over D-Bus to end the session Porvane runs in (found from "
     "its process, else from XDG_SESSION_ID); where no logind answers within two seconds, or it "
     "refuses, one porvane: line on standard error says why and Porvane ends as it would have. "
     "A Porvane that is killed does not log off by itself; in a session the guard guards, the "
     "guard then ends the session. With True, a closing notice shown because the "
     "time ran out closes itself after 30 seconds, so that the log-off does not wait for a user "
     "who has gone."},
    {key::IdleSeconds,
     "Seconds without keyboard or mouse input anywhere in the session (the application, the "
     "desktop, any window) after which the session ends, from Agree on, as at a timed close: "
     "the policy window unloads, the closing notice shows when configured, and the application "
     "is ended at that moment when CloseApplicationOnClose is True. With or without a time "
     "limit; before Agree nothing is timed. 0 or less: never. The idle time is the desktop's own "
     "(Windows; X11 with MIT-SCREEN-SAVER; Wayland compositors with an idle protocol); where the "
     "desktop offers none, Porvane writes one porvane: line to standard error and the session "
     "never ends idle."},
    {key::CloseAt,
     "HH:MM or HH:MM:SS, 24-hour, local time: the session ends at this time at the latest. At "
     "Agree the gate takes the next moment the clock reads it (today, or tomorrow when that "
     "time has passed); the session ends then or at ClosePorvaneInSeconds, whichever comes "
     "first, as a timed close does (alone it is a time limit too). It is checked against the "
     "wall clock every second, so a clock change (daylight saving, a time server) moves the end "
     "with the clock; a time the clock skips ends the session as the clock jumps past it."},

    // ---- [Closing] ----
    {key::ShowCloseDialog,
     "True: a closing notice is shown whenever the policy window unloads (Disagree, close box, "
     "timed close, or after Agree). Porvane ends when the notice is closed."},
    {key::CloseTitle, "Title of the closing notice."},
    {key::CloseText, "Message of the closing notice (wrapped, one paragraph)."},
    {key::WarnBeforeSeconds,
     "With a time limit (ClosePorvaneInSeconds, CloseAt), one or more numbers of seconds, "
     "separated by commas and/or blanks (600, 300, 60); a single number works as before. The "
     "warning window appears on the first second after which at most each of them remain (a "
     "value as long as the session or longer warns one second after Agree; none on the closing "
     "second; several due at once bring one warning). If it is still open, it comes to the "
     "front again and is announced to screen readers again. It shows the time left, counting "
     "down. It stays on top, does not take the keyboard focus from the application, and goes "
     "when OK or its close box is pressed, or with the end. Numbers of 0 or less are left out, "
     "repeats count once. On Wayland the compositor decides focus and stacking; where it gives "
     "the warning the keyboard (sway does), its OK reacts only to a click, so typing cannot "
     "dismiss it."},
    {key::WarnTitle, "Title of the warning window."},
    {key::WarnText, "Message of the warning window (wrapped, one paragraph)."},
    {key::IdleWarnSeconds,
     "With an idle end (IdleSeconds), an idle warning appears when this many seconds remain "
     "before it, with its title, its text and the seconds left counting down. It stays on top "
     "and does not take the keyboard focus; any input takes it away and starts the count again. "
     "A value as long as IdleSeconds or longer brings it after one second without input (with "
     "IdleSeconds 1 there is no room for one). 0 or less: no warning."},
    {key::IdleWarnTitle, "Title of the idle warning."},
    {key::IdleWarnText, "Message of the idle warning (wrapped, one paragraph)."},
    {key::ShowTimeLeft,
     "True: with a time limit, a small countdown window shows the time left from Agree to the "
     "end, M:SS under an hour and H:MM:SS from an hour (it and the end agree to the second). It "
     "stays on top without ever taking the keyboard focus, first sits in the bottom-right corner "
     "of the screen's work area, has no close box (a close request does nothing), and can be "
     "moved, and minimized where the desktop allows; it comes back into view at each reminder. "
     "A screen reader reads its text at any moment (Linux: a label in a window named by its "
     "title; Windows: a standard static control) and is not told of each second. Without a time "
     "limit, none."},
    {key::TimeLeftTitle, "Title of the countdown window."},
    // ---- [Guard] ----
    {key::Users,
     "The guard (porvane-guard, PorvaneGuard) guards the graphical sessions of these users: "
     "names separated by commas and/or blanks. Never root's. Taken when a session starts."},
    {key::Groups,
     "The guard also guards the graphical sessions of the members of these groups, names as for "
     "Users. Taken when a session starts."},
    {key::GateSeconds,
     "Seconds a guarded session has for its gate to make itself known to the guard; the guard "
     "ends the session when none did. Empty, 0 or less, or not a number: 60.",
     "60"},
    {key::AgreeSeconds,
     "Seconds a guarded session has, from its start, for the user to agree; the guard ends the "
     "session when nobody did. Empty or not a number: 600; 0 or less: no such end.",
     "600"},
    {key::GraceSeconds,
     "Seconds the guard waits after the end it computed itself at Agree (or after it asked the "
     "gate to end) before it ends the session, so that the gate ends in order first. Empty or "
     "not a number: 60; less than 0: 0.",
     "60"},
    {key::DailySeconds,
     "Seconds from Agree to the session's end a user may have in one local calendar day, summed "
     "over the user's guarded sessions on this computer. Empty, 0 or less: no such allowance. "
     "Taken at Agree."},
    {key::DayUsedText,
     "What the gate shows when the user agrees with nothing left of the day's allowance; empty: "
     "a plain default."},
};

// The designed client area as the policy window is built with it, so that the reference never
// says another size than the window has.
std::string designedSize() {
    return " The designed client area is " +
           std::to_string(policy::designedPixels(policy::kClientWidth)) + " x " +
           std::to_string(policy::designedPixels(policy::kClientHeight)) + " pixels at 96 DPI.";
}

}  // namespace

std::string_view defaultOf(const KeySpec& key) {
    for (const Meaning& meaning : kMeanings) {
        if (meaning.key.name == key.name && !meaning.defaultText.empty()) {
            return meaning.defaultText;
        }
    }
    return defaultName(key.type);
}

std::string meaningOf(const KeySpec& key) {
    for (const Meaning& meaning : kMeanings) {
        if (meaning.key.name == key.name) {
            std::string text(meaning.text);
            if (key.name == key::PolicyWidth.name) {
                text += designedSize();
            }
            return text;
        }
    }
    return {};
}

}  // namespace settings
