#pragma once
// The settings file: its name, and every key the gate reads with its section and the type its
// reader converts to. The forms read their keys through the typed readers (dmlRWINIFile.h), which
// take only a key of their own type, and the settings checker checks the same table, so a new
// setting is one line here and a read where it is used. Every key's default is the reader's
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
// the closing time), not by the original program: a file written for the original never has
// those.
inline constexpr bool kOriginal = false;
inline constexpr bool kAddition = true;

// Every key, one line each: KEY(section, name, type, kOriginal or kAddition). Sections come in
// the order the gate reads them, and each section's keys in the order the checker lists them.
// A new key is one more line here: its name in key::, its reader's type and the checker's entry
// all come from it.
// clang-format off
#define PORVANE_SETTINGS_KEYS(KEY) \
    KEY(kGeneral, FormCaption, String, kOriginal) \
    KEY(kGeneral, DisagreeCaption, String, kOriginal) \
    KEY(kGeneral, AgreeCaption, String, kOriginal) \
    KEY(kGeneral, PolicyFile, String, kOriginal) \
    KEY(kGeneral, PolicyWidth, Integer, kOriginal) \
    KEY(kGeneral, PolicyHeight, Integer, kOriginal) \
    KEY(kGeneral, Application, String, kOriginal) \
    KEY(kApplication, ClosePorvaneAfterAgree, Boolean, kOriginal) \
    KEY(kApplication, ClosePorvaneInSeconds, Long, kOriginal) \
    KEY(kApplication, CloseApplicationOnClose, Boolean, kOriginal) \
    KEY(kApplication, CloseAt, TimeOfDay, kAddition) \
    KEY(kClosing, ShowCloseDialog, Boolean, kOriginal) \
    KEY(kClosing, CloseTitle, String, kOriginal) \
    KEY(kClosing, CloseText, String, kOriginal) \
    KEY(kClosing, WarnBeforeSeconds, SecondsList, kAddition) \
    KEY(kClosing, WarnTitle, String, kAddition) \
    KEY(kClosing, WarnText, String, kAddition) \
    KEY(kClosing, ShowTimeLeft, Boolean, kAddition) \
    KEY(kClosing, TimeLeftTitle, String, kAddition) \
    /* the table ends here */
// clang-format on

struct KeySpec {
    std::string_view section;
    std::string_view name;
    KeyType type;
    bool addition = false;
};

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
#define PORVANE_DECLARE_KEY(section, name, type, addition) \
    inline constexpr Key<KeyType::type> name{{section, #name, KeyType::type, addition}};
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
