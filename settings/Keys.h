#pragma once
// The settings file: its name, and every key the gate reads with its section and the type its
// reader converts to. The forms read their keys by these names and the settings checker checks
// the same table, so a new setting is added here and read where it is used. Every key's default
// is the reader's neutral value: empty, False or 0.

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

struct KeySpec {
    std::string_view section;
    std::string_view name;
    KeyType type;
    // Read only by the gate's own additions (the time-limit warning, the countdown, the
    // closing time), not by the original program; a file written for the original never has
    // them.
    bool addition = false;
};

inline constexpr std::string_view kGeneral = "General";
inline constexpr std::string_view kApplication = "Application";
inline constexpr std::string_view kClosing = "Closing";

namespace key {
inline constexpr KeySpec FormCaption{kGeneral, "FormCaption", KeyType::String};
inline constexpr KeySpec DisagreeCaption{kGeneral, "DisagreeCaption", KeyType::String};
inline constexpr KeySpec AgreeCaption{kGeneral, "AgreeCaption", KeyType::String};
inline constexpr KeySpec PolicyFile{kGeneral, "PolicyFile", KeyType::String};
inline constexpr KeySpec PolicyWidth{kGeneral, "PolicyWidth", KeyType::Integer};
inline constexpr KeySpec PolicyHeight{kGeneral, "PolicyHeight", KeyType::Integer};
inline constexpr KeySpec Application{kGeneral, "Application", KeyType::String};
inline constexpr KeySpec ClosePorvaneAfterAgree{kApplication, "ClosePorvaneAfterAgree",
                                                KeyType::Boolean};
inline constexpr KeySpec ClosePorvaneInSeconds{kApplication, "ClosePorvaneInSeconds",
                                               KeyType::Long};
inline constexpr KeySpec CloseApplicationOnClose{kApplication, "CloseApplicationOnClose",
                                                 KeyType::Boolean};
inline constexpr KeySpec CloseAt{kApplication, "CloseAt", KeyType::TimeOfDay, true};
inline constexpr KeySpec ShowCloseDialog{kClosing, "ShowCloseDialog", KeyType::Boolean};
inline constexpr KeySpec CloseTitle{kClosing, "CloseTitle", KeyType::String};
inline constexpr KeySpec CloseText{kClosing, "CloseText", KeyType::String};
inline constexpr KeySpec WarnBeforeSeconds{kClosing, "WarnBeforeSeconds", KeyType::SecondsList,
                                           true};
inline constexpr KeySpec WarnTitle{kClosing, "WarnTitle", KeyType::String, true};
inline constexpr KeySpec WarnText{kClosing, "WarnText", KeyType::String, true};
inline constexpr KeySpec ShowTimeLeft{kClosing, "ShowTimeLeft", KeyType::Boolean, true};
inline constexpr KeySpec TimeLeftTitle{kClosing, "TimeLeftTitle", KeyType::String, true};
}  // namespace key

// Every key above, sections in the order the gate reads them.
std::span<const KeySpec> knownKeys();

// The key of that name, in whatever section it belongs to; null for an unknown name. Names are
// matched without regard to case, as the gate matches them.
const KeySpec* findKey(std::string_view name);

// The sections the gate reads, in the order of the table.
std::span<const std::string_view> knownSections();

// The known section of that name as the table spells it; empty for an unknown one.
std::string_view knownSection(std::string_view name);

}  // namespace settings
