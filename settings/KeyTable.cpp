// The table of keys itself, apart from what reads files: the settings reference's generator is
// built from this file and Keys.h alone, also where it must be built for another system than
// the program's.
#include <algorithm>
#include <array>
#include <iterator>

#include "settings/Keys.h"

namespace settings {
namespace {

#define PORVANE_KEY_SPEC(section, name, type, addition, readAt) key::name,
constexpr KeySpec kKeys[] = {PORVANE_SETTINGS_KEYS(PORVANE_KEY_SPEC)};
#undef PORVANE_KEY_SPEC

// The table's sections in its order, each once.
constexpr std::size_t kSectionCount = [] {
    std::size_t count = 0;
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        count += std::none_of(kKeys, kKeys + i,
                              [&](const KeySpec& k) { return k.section == kKeys[i].section; });
    }
    return count;
}();

constexpr auto kSections = [] {
    std::array<std::string_view, kSectionCount> sections{};
    auto end = sections.begin();
    for (const KeySpec& k : kKeys) {
        if (std::find(sections.begin(), end, k.section) == end) {
            *end++ = k.section;
        }
    }
    return sections;
}();

}  // namespace

std::span<const KeySpec> knownKeys() {
    return kKeys;
}

std::span<const std::string_view> knownSections() {
    return kSections;
}

std::string_view typeName(KeyType type) {
    switch (type) {
        case KeyType::String:
            return "text";
        case KeyType::Boolean:
            return "Boolean";
        case KeyType::Long:
            return "32-bit integer";
        case KeyType::Integer:
            return "16-bit integer";
        case KeyType::SecondsList:
            return "list";
        case KeyType::TimeOfDay:
            return "time";
    }
    return {};
}

std::string_view readAtName(ReadAt readAt) {
    switch (readAt) {
        case ReadAt::Load:
            return "as the policy window loads";
        case ReadAt::Agree:
            return "at Agree";
        case ReadAt::AgreeWithTimeLimit:
            return "at Agree, only with a time limit";
        case ReadAt::AgreeWithIdleEnd:
            return "at Agree, only with an idle end";
        case ReadAt::End:
            return "at the end";
        case ReadAt::Guard:
            return "by the guard";
    }
    return {};
}

std::string_view defaultName(KeyType type) {
    switch (type) {
        case KeyType::String:
            return "empty";
        case KeyType::Boolean:
            return "False";
        case KeyType::Long:
        case KeyType::Integer:
            return "0";
        case KeyType::SecondsList:
        case KeyType::TimeOfDay:
            return "empty";
    }
    return {};
}

std::string_view expectedForm(KeyType type) {
    switch (type) {
        case KeyType::String:
            return {};
        case KeyType::Boolean:
            return "True or False, or a number (0 is False)";
        case KeyType::Long:
            return "a whole number from -2147483648 to 2147483647, such as 600";
        case KeyType::Integer:
            return "a whole number from -32768 to 32767, such as 600";
        case KeyType::SecondsList:
            return "whole seconds separated by commas or blanks, such as 600, 300, 60";
        case KeyType::TimeOfDay:
            return "a time of day, HH:MM or HH:MM:SS on the 24-hour clock, such as 21:45";
    }
    return {};
}

}  // namespace settings
