#include "settings/Keys.h"

#include "runtime/system/NativeFiles.h"
#include "settings/Profile.h"
#include "text/Utf8.h"

namespace settings {
namespace {

bool same(std::string_view a, std::string_view b) {
    return runtime::sameProfileName(text::utf8ToUtf16(a), text::utf8ToUtf16(b));
}

}  // namespace

std::string iniFileIn(std::string_view folder) {
    return std::string(folder) + runtime::pathSeparator() + std::string(kIniFileName);
}

const KeySpec* findKey(std::string_view name) {
    for (const KeySpec& key : knownKeys()) {
        if (same(key.name, name)) {
            return &key;
        }
    }
    return nullptr;
}

std::string_view knownSection(std::string_view name) {
    for (std::string_view section : knownSections()) {
        if (same(section, name)) {
            return section;
        }
    }
    return {};
}

}  // namespace settings
