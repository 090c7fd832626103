#include "settings/dmlRWINIFile.h"

#include "runtime/Error.h"
#include "runtime/Services.h"
#include "settings/Conversions.h"
#include "settings/Profile.h"
#include "settings/mdlGlobals.h"
#include "text/Utf8.h"

namespace {

// The profile reader's buffer: the longest value and a terminator.
constexpr std::size_t kBufferSize = settings::kMaxIniValue + 1;

std::string context(std::string_view section, std::string_view key) {
    return "Error getting Section = " + std::string(section) + " - Key = " + std::string(key);
}

// Runs a read; any error becomes the notice and the neutral value.
template <class T, class Read>
T guarded(std::string_view section, std::string_view key, T neutral, Read read) {
    try {
        return read();
    } catch (...) {
        runtime::Error error = runtime::currentError();
        ShowIniError(error.number, error.description, context(section, key));
    }
    return neutral;
}

std::string readString(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view fallback) {
    std::u16string buffer(kBufferSize, u' ');
    std::size_t n =
        runtime::readProfileString(text::utf8ToUtf16(section), text::utf8ToUtf16(key),
                                   text::utf8ToUtf16(fallback), buffer.data(), buffer.size(), file);
    return text::utf16ToUtf8(std::u16string_view(buffer).substr(0, n));
}

}  // namespace

std::string GetIniString(std::string_view sFile, std::string_view sSection, std::string_view sKey,
                         std::string_view sDefault) {
    return guarded<std::string>(sSection, sKey, {},
                                [&] { return readString(sFile, sSection, sKey, sDefault); });
}

bool GetIniBoolean(std::string_view sFile, std::string_view sSection, std::string_view sKey,
                   bool bDefault) {
    return guarded<bool>(sSection, sKey, false, [&] {
        std::string s = GetIniString(sFile, sSection, sKey, "");
        return s.empty() ? bDefault : settings::toBoolean(s);
    });
}

std::int32_t GetIniLong(std::string_view sFile, std::string_view sSection, std::string_view sKey,
                        std::int32_t lDefault) {
    return guarded<std::int32_t>(sSection, sKey, 0, [&] {
        std::string s = GetIniString(sFile, sSection, sKey, "");
        return s.empty() ? lDefault : settings::toLong(s);
    });
}

std::int16_t GetIniInteger(std::string_view sFile, std::string_view sSection, std::string_view sKey,
                           std::int32_t lDefault) {
    return guarded<std::int16_t>(sSection, sKey, 0, [&] {
        std::string s = GetIniString(sFile, sSection, sKey, "");
        return s.empty() ? settings::narrowToInteger(lDefault) : settings::toInteger(s);
    });
}

std::vector<std::int32_t> GetIniSecondsList(std::string_view sFile,
                                            const settings::SecondsListKey& key) {
    return guarded<std::vector<std::int32_t>>(key.section, key.name, {}, [&] {
        std::string s = GetIniString(sFile, key.section, key.name, "");
        return s.empty() ? std::vector<std::int32_t>{} : settings::toSecondsList(s);
    });
}

std::optional<std::int32_t> GetIniTimeOfDay(std::string_view sFile,
                                            const settings::TimeOfDayKey& key) {
    return guarded<std::optional<std::int32_t>>(
        key.section, key.name, std::nullopt, [&]() -> std::optional<std::int32_t> {
            std::string s = GetIniString(sFile, key.section, key.name, "");
            if (s.empty()) {
                return std::nullopt;
            }
            return settings::toTimeOfDay(s);
        });
}

std::string settings::quietString(std::string_view file, const KeySpec& key) {
    try {
        return readString(file, key.section, key.name, "");
    } catch (const runtime::Error&) {
    } catch (const std::exception&) {
    }
    return {};
}

bool settings::quietBoolean(std::string_view file, const BooleanKey& key) {
    try {
        std::string s = quietString(file, key);
        return !s.empty() && toBoolean(s);
    } catch (const runtime::Error&) {
    }
    return false;
}

std::string settings::iniValue(std::u16string_view text, std::string_view section,
                               std::string_view key) {
    std::u16string buffer(kBufferSize, u' ');
    std::size_t n =
        runtime::readProfileText(text, text::utf8ToUtf16(section), text::utf8ToUtf16(key), u"",
                                 buffer.data(), buffer.size());
    return text::utf16ToUtf8(std::u16string_view(buffer).substr(0, n));
}

void ShowIniError(std::int32_t lNumber, std::string_view sDescription, std::string_view sContext) {
    std::string text =
        "Error Number: " + std::to_string(lNumber) + "\r\n" + std::string(sDescription);
    if (!sContext.empty()) {
        text += "\r\n\r\n" + std::string(sContext);
    }
    // The log line names the settings file, so that a journal entry alone says where to look.
    std::string where = sIniFile.empty() ? std::string() : sIniFile + ": ";
    runtime::Log("Ini RW Class: " + where + runtime::singleLine(text));
    runtime::MsgBox(text, "Ini RW Class", runtime::MessageIcon::Critical);
}
