#include "settings/Keys.h"

#include <array>

#include "runtime/system/NativeFiles.h"
#include "settings/Profile.h"
#include "text/Utf8.h"

namespace settings {
namespace {

constexpr std::array kKeys{
    key::FormCaption,
    key::DisagreeCaption,
    key::AgreeCaption,
    key::PolicyFile,
    key::PolicyWidth,
    key::PolicyHeight,
    key::Application,
    key::ClosePorvaneAfterAgree,
    key::ClosePorvaneInSeconds,
    key::CloseApplicationOnClose,
    key::CloseAt,
    key::ShowCloseDialog,
    key::CloseTitle,
    key::CloseText,
    key::WarnBeforeSeconds,
    key::WarnTitle,
    key::WarnText,
    key::ShowTimeLeft,
    key::TimeLeftTitle,
};

constexpr std::array kSections{kGeneral, kApplication, kClosing};

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
