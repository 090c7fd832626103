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
inline constexpr std::string_view kGuard = "Guard";

// Whether a key is read only by the gate's own additions (the time-limit warning, the countdown,
// the closing time, the idle end), not by the original program: a file written for the
// original never has those.
inline constexpr bool kOriginal = false;
inline constexpr bool kAddition = true;

// When the gate reads a key, and so when a change to it counts; a key read only with a time
// limit or an idle end goes unread, bad or not, without one.
enum class ReadAt {
    Load,                // as the policy window loads
    Agree,               // on Agree
    AgreeWithTimeLimit,  // on Agree, only with a time limit (ClosePorvaneInSeconds, CloseAt)
    AgreeWithIdleEnd,    // on Agree, only with an idle end (IdleSeconds)
    End,                 // as the gate ends: the closing notice, ending the application, log-off
    Guard,               // by the guard, never by the gate: as a session starts and at its Agree
};

// Every key: KEY(section, name, type, kOriginal or kAddition, when read). Sections come in the
// order the gate reads them, and each section's keys in the order the checker lists them. A new
// key is one more row here and its meaning in KeyMeanings.cpp: its name in key::, its reader's
// type, the checker's entry and the settings reference (porvane.ini(5) and the README's table,
// generated from this table) all come from them.
// clang-format off
#define PORVANE_SETTINGS_KEYS(KEY) \
    KEY(kGeneral,     FormCaption,             String,      kOriginal, Load)               \
    KEY(kGeneral,     DisagreeCaption,         String,      kOriginal, Load)               \
    KEY(kGeneral,     AgreeCaption,            String,      kOriginal, Load)               \
    KEY(kGeneral,     PolicyFile,              String,      kOriginal, Load)               \
    KEY(kGeneral,     PolicyWidth,             Integer,     kOriginal, Load)               \
    KEY(kGeneral,     PolicyHeight,            Integer,     kOriginal, Load)               \
    KEY(kGeneral,     Application,             String,      kOriginal, Agree)              \
    KEY(kApplication, ClosePorvaneAfterAgree,  Boolean,     kOriginal, Agree)              \
    KEY(kApplication, ClosePorvaneInSeconds,   Long,        kOriginal, Load)               \
    KEY(kApplication, CloseApplicationOnClose, Boolean,     kOriginal, End)                \
    KEY(kApplication, LogOffOnClose,           Boolean,     kAddition, End)                \
    KEY(kApplication, IdleSeconds,             Long,        kAddition, Agree)              \
    KEY(kApplication, CloseAt,                 TimeOfDay,   kAddition, Agree)              \
    KEY(kClosing,     ShowCloseDialog,         Boolean,     kOriginal, End)                \
    KEY(kClosing,     CloseTitle,              String,      kOriginal, End)                \
    KEY(kClosing,     CloseText,               String,      kOriginal, End)                \
    KEY(kClosing,     WarnBeforeSeconds,       SecondsList, kAddition, AgreeWithTimeLimit) \
    KEY(kClosing,     WarnTitle,               String,      kAddition, AgreeWithTimeLimit) \
    KEY(kClosing,     WarnText,                String,      kAddition, AgreeWithTimeLimit) \
    KEY(kClosing,     IdleWarnSeconds,         Long,        kAddition, AgreeWithIdleEnd)   \
    KEY(kClosing,     IdleWarnTitle,           String,      kAddition, AgreeWithIdleEnd)   \
    KEY(kClosing,     IdleWarnText,            String,      kAddition, AgreeWithIdleEnd)   \
    KEY(kClosing,     ShowTimeLeft,            Boolean,     kAddition, AgreeWithTimeLimit) \
    KEY(kClosing,     TimeLeftTitle,           String,      kAddition, AgreeWithTimeLimit) \
    KEY(kGuard,       Users,                   String,      kAddition, Guard)              \
    KEY(kGuard,       Groups,                  String,      kAddition, Guard)              \
    KEY(kGuard,       GateSeconds,             Long,        kAddition, Guard)              \
    KEY(kGuard,       AgreeSeconds,            Long,        kAddition, Guard)              \
    KEY(kGuard,       GraceSeconds,            Long,        kAddition, Guard)              \
    KEY(kGuard,       DailySeconds,            Long,        kAddition, Guard)              \
    KEY(kGuard,       DayUsedText,             String,      kAddition, Guard)              \
    /* the table ends here */
// clang-format on

struct KeySpec {
    std::string_view section;
    std::string_view name;
    KeyType type;
    bool addition = false;
    ReadAt readAt = ReadAt::Load;
};

// The type as the settings reference names it ("16-bit integer").
std::string_view typeName(KeyType type);

// When the key is read, as the settings reference says it ("at Agree").
std::string_view readAtName(ReadAt readAt);

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
#define PORVANE_DECLARE_KEY(section, name, type, addition, readAt) \
    inline constexpr Key<KeyType::type> name{                      \
        {section, #name, KeyType::type, addition, ReadAt::readAt}};
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
