#pragma once
// The settings file: its name, and every key the gate reads with its section and the type its
// reader converts to. The forms read their keys through the typed readers (dmlRWINIFile.h), which
// take only a key of their own type, and the settings checker checks the same table, so a new
// setting is one entry here and a read where it is used. Every key's default is the reader's
// neutral value: empty, False or 0.

#include <span>
#include <string>
#include <string_view>

namespace settings {

// The settings file, beside the program.
inline constexpr std::string_view kIniFileName = "Porvane.ini";

// The settings file in that folder.
std::string iniFileIn(std::string_view folder);

// SecondsList: whole seconds separated by commas and/or blanks; TimeOfDay: HH:MM[:SS].
enum class KeyType { String, Boolean, Long, Integer, SecondsList, TimeOfDay };

inline constexpr std::string_view kGeneral = "General";
inline constexpr std::string_view kApplication = "Application";
inline constexpr std::string_view kClosing = "Closing";

// Whether a key is read only by the gate's own additions (the time-limit warning, the countdown,
// the closing time, the idle end), not by the original program: a file written for the
// original never has those.
inline constexpr bool kOriginal = false;
inline constexpr bool kAddition = true;

// Every key: KEY(section, name, type, kOriginal or kAddition, what it means). Sections come in
// the order the gate reads them, and each section's keys in the order the checker lists them.
// A new key is one more entry here: its name in key::, its reader's type, the checker's entry and
// the settings reference (porvane.ini(5), generated from this table at build time) all come from
// it. The meaning is plain sentences, no markup.
// clang-format off
#define PORVANE_SETTINGS_KEYS(KEY) \
    KEY(kGeneral, FormCaption, String, kOriginal, \
        "Title of the policy window.") \
    KEY(kGeneral, DisagreeCaption, String, kOriginal, \
        "Text of the Disagree button; an & marks the letter of its access key (&& shows an &). Empty " \
        "leaves the button blank. A button holds about 10 characters at the designed size.") \
    KEY(kGeneral, AgreeCaption, String, kOriginal, \
        "Text of the Agree button, as for DisagreeCaption.") \
    KEY(kGeneral, PolicyFile, String, kOriginal, \
        "The policy document, RTF; a file that is not RTF is shown as plain text. A relative path is " \
        "taken from the program's folder. Empty: an empty view. A missing file ends Porvane with " \
        "Run-time error 53 and the path it looked for.") \
    KEY(kGeneral, PolicyWidth, Integer, kOriginal, \
        "Outer width of the policy window in pixels, with the frame the window manager draws; the " \
        "window comes out one pixel wider than written. 0 keeps the designed client width (313 x 319 " \
        "client pixels at 96 DPI). On Wayland, where no program learns the compositor's frame, the " \
        "window's own width.") \
    KEY(kGeneral, PolicyHeight, Integer, kOriginal, \
        "Outer height of the policy window in pixels, as for PolicyWidth (one pixel more than written, " \
        "frame included); 0 keeps the designed client height.") \
    KEY(kGeneral, Application, String, kOriginal, \
        "Command line started on Agree, for example firefox --kiosk \"https://example.org\". Empty, or " \
        "a program that cannot be found or run, ends Porvane with a run-time error (5, 53 or 70) that " \
        "names the program. A value wholly inside one pair of quotes loses them: put one more pair " \
        "around a command line that starts with a quoted program and ends with a quoted argument.") \
    KEY(kApplication, ClosePorvaneAfterAgree, Boolean, kOriginal, \
        "True: the policy window unloads right after the application started, so no time limit runs.") \
    KEY(kApplication, ClosePorvaneInSeconds, Long, kOriginal, \
        "Seconds after Agree at which the policy window unloads itself; 0: no timed close. With " \
        "CloseApplicationOnClose this is a time limit.") \
    KEY(kApplication, CloseApplicationOnClose, Boolean, kOriginal, \
        "True: when Porvane ends after Agree, the application it started is ended, with every process " \
        "it started in turn; when time ends the session, at that moment, before the closing notice " \
        "shows. Read at that moment, so a change made while Porvane runs counts; also " \
        "read at Agree, for a Porvane that is killed or crashes: True then ends the application with " \
        "it.") \
    KEY(kApplication, LogOffOnClose, Boolean, kAddition, \
        "True: whenever Porvane ends in order (Disagree and the close box too, every end after " \
        "Agree), the user's desktop session ends, after the application was ended as " \
        "CloseApplicationOnClose says. Windows: ExitWindowsEx; Linux: logind, and where none " \
        "answers, one porvane: line on standard error. A killed Porvane does not log off. With " \
        "True, a closing notice shown because the time ran out closes itself after 30 seconds. " \
        "Read at the end.") \
    KEY(kApplication, IdleSeconds, Long, kAddition, \
        "Seconds without keyboard or mouse input anywhere in the session after which the session " \
        "ends, from Agree on, as at a timed close: the policy window unloads, the closing notice " \
        "shows when configured, and the application is ended at that moment when " \
        "CloseApplicationOnClose is True. With or without a time limit; before Agree nothing is " \
        "timed. The idle time is the desktop's own (Windows; X11 with MIT-SCREEN-SAVER; Wayland " \
        "with an idle protocol); where the desktop offers none, the gate says so on standard error " \
        "and never ends idle. 0 or less: never. Read on Agree.") \
    KEY(kApplication, CloseAt, TimeOfDay, kAddition, \
        "HH:MM or HH:MM:SS, 24-hour, local time: the session ends at this time at the latest. At " \
        "Agree the gate takes the next moment the clock reads it (today, or tomorrow when that time " \
        "has passed); the session ends then or at ClosePorvaneInSeconds, whichever comes first (alone " \
        "it is a time limit too). Checked against the wall clock every second, so a clock change " \
        "moves the end with the clock. Read on Agree.") \
    KEY(kClosing, ShowCloseDialog, Boolean, kOriginal, \
        "True: a closing notice is shown whenever the policy window unloads (Disagree, close box, " \
        "timed close, or after Agree). Porvane ends when the notice is closed.") \
    KEY(kClosing, CloseTitle, String, kOriginal, \
        "Title of the closing notice.") \
    KEY(kClosing, CloseText, String, kOriginal, \
        "Message of the closing notice (wrapped, one paragraph).") \
    KEY(kClosing, WarnBeforeSeconds, SecondsList, kAddition, \
        "With a time limit, one or more numbers of seconds separated by commas and/or blanks " \
        "(600, 300, 60); a single number works as before. The warning window appears on the first " \
        "second after which at most each of them remain, comes to the front again if still open, " \
        "and shows the time left. It stays on top, does not take the keyboard focus, and goes with " \
        "OK, its close box, or the end. 0 or less, and repeats, are left out. Read on Agree.") \
    KEY(kClosing, WarnTitle, String, kAddition, \
        "Title of the warning window. Read on Agree.") \
    KEY(kClosing, WarnText, String, kAddition, \
        "Message of the warning window (wrapped, one paragraph). Read on Agree.") \
    KEY(kClosing, IdleWarnSeconds, Long, kAddition, \
        "With an idle end (IdleSeconds), an idle warning appears when this many seconds remain " \
        "before it, with its title, its text and the time left counting down. It stays on top and " \
        "does not take the keyboard focus; any input takes it away and starts the count again. A " \
        "value as long as IdleSeconds or longer brings it after one second without input. 0 or " \
        "less: no warning. Read on Agree, only with an idle end.") \
    KEY(kClosing, IdleWarnTitle, String, kAddition, \
        "Title of the idle warning. Read on Agree.") \
    KEY(kClosing, IdleWarnText, String, kAddition, \
        "Message of the idle warning (wrapped, one paragraph). Read on Agree.") \
    KEY(kClosing, ShowTimeLeft, Boolean, kAddition, \
        "True: with a time limit, a small countdown window shows the time left (M:SS, from an hour " \
        "H:MM:SS), on top, never taking the keyboard focus, first in the bottom-right corner, with no " \
        "close box; it can be moved and minimized and comes back at each reminder. Read on Agree.") \
    KEY(kClosing, TimeLeftTitle, String, kAddition, \
        "Title of the countdown window. Read on Agree.") \
    KEY("Guard", Users, String, kAddition, \
        "The guard (porvane-guard, PorvaneGuard) guards the graphical sessions of these users: " \
        "names separated by commas and/or blanks. Never root's. Read when a session starts.") \
    KEY("Guard", Groups, String, kAddition, \
        "The guard also guards the graphical sessions of the members of these groups, names as for " \
        "Users. Read when a session starts.") \
    KEY("Guard", GateSeconds, Long, kAddition, \
        "Seconds a guarded session has for its gate to make itself known to the guard; the guard " \
        "ends the session when none did. Empty, 0 or less, or not a number: 60.") \
    KEY("Guard", AgreeSeconds, Long, kAddition, \
        "Seconds a guarded session has, from its gate's start, for the user to agree; the guard ends " \
        "the session when nobody did. Empty or not a number: 600; 0 or less: no such end.") \
    KEY("Guard", GraceSeconds, Long, kAddition, \
        "Seconds the guard waits after the end it computed itself at Agree (or after it asked the " \
        "gate to end) before it ends the session, so that the gate ends in order first. Empty or " \
        "not a number: 60; less than 0: 0.") \
    KEY("Guard", DailySeconds, Long, kAddition, \
        "Seconds from Agree to the session's end a user may have in one local calendar day, summed " \
        "over the user's guarded sessions on this computer. Empty, 0 or less: no such allowance. " \
        "Read at Agree.") \
    KEY("Guard", DayUsedText, String, kAddition, \
        "What the gate shows when the user agrees with nothing left of the day's allowance; empty: " \
        "a plain default.") \
    /* the table ends here */
// clang-format on

struct KeySpec {
    std::string_view section;
    std::string_view name;
    KeyType type;
    bool addition = false;
    // What the key does, as the settings reference says it.
    std::string_view description = {};
};

// The type as the settings reference names it ("16-bit integer").
std::string_view typeName(KeyType type);

// The value a missing or empty key reads as ("empty", "False", "0").
std::string_view defaultName(KeyType type);

// The form a value of the type must take, said to whoever wrote one that is not of it; empty
// for text, which takes any form.
std::string_view expectedForm(KeyType type);

// A key whose type is part of its C++ type: the reader of another type does not take it.
template <KeyType T>
struct Key : KeySpec {};
using StringKey = Key<KeyType::String>;
using BooleanKey = Key<KeyType::Boolean>;
using LongKey = Key<KeyType::Long>;
using IntegerKey = Key<KeyType::Integer>;
using SecondsListKey = Key<KeyType::SecondsList>;
using TimeOfDayKey = Key<KeyType::TimeOfDay>;

namespace key {
#define PORVANE_DECLARE_KEY(section, name, type, addition, description) \
    inline constexpr Key<KeyType::type> name{                           \
        {section, #name, KeyType::type, addition, description}};
PORVANE_SETTINGS_KEYS(PORVANE_DECLARE_KEY)
#undef PORVANE_DECLARE_KEY
}  // namespace key

// Every key above, in the table's order.
std::span<const KeySpec> knownKeys();

// The key of that name, in whatever section it belongs to; null for an unknown name. Names are
// matched without regard to case, as the gate matches them.
const KeySpec* findKey(std::string_view name);

// The sections the gate reads, in the order of the table.
std::span<const std::string_view> knownSections();

// The known section of that name as the table spells it; empty for an unknown one.
std::string_view knownSection(std::string_view name);

}  // namespace settings
