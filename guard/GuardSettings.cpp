#include "guard/GuardSettings.h"

#include <optional>

#include "runtime/Error.h"
#include "settings/Conversions.h"
#include "settings/Profile.h"
#include "settings/dmlRWINIFile.h"
#include "text/Utf8.h"

namespace guard {
namespace {

// The value as the gate's reader returns it, without the notice the gate would show: the profile
// reader itself, which answers a missing or unreadable file with the empty default.
std::string quietString(const std::string& file, const settings::KeySpec& key) {
    std::u16string buffer(settings::kMaxIniValue + 1, u' ');
    const std::size_t n =
        runtime::readProfileString(text::utf8ToUtf16(key.section), text::utf8ToUtf16(key.name), u"",
                                   buffer.data(), buffer.size(), file);
    return text::utf16ToUtf8(std::u16string_view(buffer).substr(0, n));
}

// The key as a whole number, none when it is empty or no number.
std::optional<std::int32_t> quietLong(const std::string& file, const settings::LongKey& key) {
    const std::string text = quietString(file, key);
    if (text.find_first_not_of(" \t") == std::string::npos) {
        return std::nullopt;
    }
    try {
        return settings::toLong(text);
    } catch (const runtime::Error&) {
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> splitNames(std::string_view text) {
    std::vector<std::string> names;
    std::string name;
    for (char c : text) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!name.empty()) {
                names.push_back(std::move(name));
                name.clear();
            }
        } else {
            name += c;
        }
    }
    if (!name.empty()) {
        names.push_back(std::move(name));
    }
    return names;
}

GuardSettings readGuardSettings(const std::string& iniFile) {
    namespace key = settings::key;
    GuardSettings s;
    s.users = splitNames(quietString(iniFile, key::Users));
    s.groups = splitNames(quietString(iniFile, key::Groups));
    // A gate needs some time to start: no value ends every session at once.
    if (auto v = quietLong(iniFile, key::GateSeconds); v && *v > 0) {
        s.gateSeconds = *v;
    }
    if (auto v = quietLong(iniFile, key::AgreeSeconds)) {
        s.agreeSeconds = *v > 0 ? *v : 0;
    }
    if (auto v = quietLong(iniFile, key::GraceSeconds)) {
        s.graceSeconds = *v > 0 ? *v : 0;
    }
    if (auto v = quietLong(iniFile, key::DailySeconds)) {
        s.dailySeconds = *v > 0 ? *v : 0;
    }
    s.dayUsedText = quietString(iniFile, key::DayUsedText);
    return s;
}

std::string dayUsedMessage(const GuardSettings& settings) {
    return settings.dayUsedText.empty() ? "Your time for today is used up." : settings.dayUsedText;
}

}  // namespace guard
