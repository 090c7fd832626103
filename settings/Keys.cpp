#include "settings/Keys.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "runtime/system/NativeFiles.h"
#include "settings/Profile.h"
#include "text/Utf8.h"

namespace settings {
namespace {

#define PORVANE_KEY_SPEC(section, name, type, addition) key::name,
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

bool same(std::string_view a, std::string_view b) {
    return runtime::sameProfileName(text::utf8ToUtf16(a), text::utf8ToUtf16(b));
}

}  // namespace

std::string iniFileIn(std::string_view folder) {
    return std::string(folder) + runtime::pathSeparator() + std::string(kIniFileName);
}

std::span<const KeySpec> knownKeys() {
    return kKeys;
}

const KeySpec* findKey(std::string_view name) {
    for (const KeySpec& key : kKeys) {
        if (same(key.name, name)) {
            return &key;
        }
    }
    return nullptr;
}

std::span<const std::string_view> knownSections() {
    return kSections;
}

std::string_view knownSection(std::string_view name) {
    for (std::string_view section : kSections) {
        if (same(section, name)) {
            return section;
        }
    }
    return {};
}

}  // namespace settings
