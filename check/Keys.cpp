#include "check/Keys.h"

#include <array>

#include "runtime/Profile.h"
#include "text/Utf8.h"

namespace check {
namespace {

constexpr std::array kKeys{
    KeySpec{"General", "FormCaption", KeyType::String},
    KeySpec{"General", "DisagreeCaption", KeyType::String},
    KeySpec{"General", "AgreeCaption", KeyType::String},
    KeySpec{"General", "PolicyFile", KeyType::String},
    KeySpec{"General", "PolicyWidth", KeyType::Integer},
    KeySpec{"General", "PolicyHeight", KeyType::Integer},
    KeySpec{"General", "Application", KeyType::String},
    KeySpec{"Application", "ClosePorvaneAfterAgree", KeyType::Boolean},
    KeySpec{"Application", "ClosePorvaneInSeconds", KeyType::Long},
    KeySpec{"Application", "CloseApplicationOnClose", KeyType::Boolean},
    KeySpec{"Closing", "ShowCloseDialog", KeyType::Boolean},
    KeySpec{"Closing", "CloseTitle", KeyType::String},
    KeySpec{"Closing", "CloseText", KeyType::String},
    KeySpec{"Closing", "WarnBeforeSeconds", KeyType::Long, true},
    KeySpec{"Closing", "WarnTitle", KeyType::String, true},
    KeySpec{"Closing", "WarnText", KeyType::String, true},
};

constexpr std::array<std::string_view, 3> kSections{"General", "Application", "Closing"};

bool same(std::string_view a, std::string_view b) {
    return runtime::sameProfileName(text::utf8ToUtf16(a), text::utf8ToUtf16(b));
}

}  // namespace

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

}  // namespace check
