// The table of keys itself, apart from what reads files: the settings reference's generator is
// built from this file and Keys.h alone, also where it must be built for another system than
// the program's.
#include <array>

#include "settings/Keys.h"

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
    key::ShowCloseDialog,
    key::CloseTitle,
    key::CloseText,
    key::WarnBeforeSeconds,
    key::WarnTitle,
    key::WarnText,
};

constexpr std::array kSections{kGeneral, kApplication, kClosing};

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
    }
    return {};
}

}  // namespace settings
