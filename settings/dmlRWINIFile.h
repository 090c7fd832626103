#pragma once
// Reads single values from the settings file and turns them into the caller's type. A reader
// never fails towards its caller: when reading or converting fails it shows the "Ini RW Class"
// notice and returns the empty string, False or 0.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Keys.h"

// The readers by section and name: the original program's module, for any key of any file. The
// forms read the settings table's keys through the typed readers below.

// The value of the key, at most 499 characters; the default when the file, section or key is
// missing.
std::string GetIniString(std::string_view sFile, std::string_view sSection, std::string_view sKey,
                         std::string_view sDefault);

// The key as a Boolean; the default when the value is empty.
bool GetIniBoolean(std::string_view sFile, std::string_view sSection, std::string_view sKey,
                   bool bDefault);

// The key as a 32-bit integer; the default when the value is empty.
std::int32_t GetIniLong(std::string_view sFile, std::string_view sSection, std::string_view sKey,
                        std::int32_t lDefault);

// The key as a 16-bit integer; the default, narrowed to 16 bits, when the value is empty.
std::int16_t GetIniInteger(std::string_view sFile, std::string_view sSection, std::string_view sKey,
                           std::int32_t lDefault);

// The readers of the settings table's keys. Each takes only keys of its own type, so a key read
// with another type's reader does not compile; the default is the reader's neutral value.
inline std::string GetIniString(std::string_view sFile, const settings::StringKey& key) {
    return GetIniString(sFile, key.section, key.name, "");
}
inline bool GetIniBoolean(std::string_view sFile, const settings::BooleanKey& key) {
    return GetIniBoolean(sFile, key.section, key.name, false);
}
inline std::int32_t GetIniLong(std::string_view sFile, const settings::LongKey& key) {
    return GetIniLong(sFile, key.section, key.name, 0);
}
inline std::int16_t GetIniInteger(std::string_view sFile, const settings::IntegerKey& key) {
    return GetIniInteger(sFile, key.section, key.name, 0);
}
// The key as a list of whole seconds (see settings::toSecondsList); empty when the value is
// empty or not of the form.
std::vector<std::int32_t> GetIniSecondsList(std::string_view sFile,
                                            const settings::SecondsListKey& key);
// The key as a time of day in seconds since midnight (see settings::toTimeOfDay); none when
// the value is empty or not of the form.
std::optional<std::int32_t> GetIniTimeOfDay(std::string_view sFile,
                                            const settings::TimeOfDayKey& key);

// Shows the settings error notice: a modal critical message box titled "Ini RW Class".
void ShowIniError(std::int32_t lNumber, std::string_view sDescription, std::string_view sContext);

namespace settings {

// The most characters of a value the reader hands out; the rest is cut off.
inline constexpr std::size_t kMaxIniValue = 499;

// The key's value as GetIniString reads it, but without the notice: empty when it cannot be
// read.
std::string quietString(std::string_view file, const KeySpec& key);

// The key as GetIniBoolean reads it with the default False, but without the notice: a value
// that is no Boolean reads False.
bool quietBoolean(std::string_view file, const BooleanKey& key);

// The value GetIniString would return for the key, read from profile text already decoded and
// without any notice: the settings checker reads through this.
std::string iniValue(std::u16string_view text, std::string_view section, std::string_view key);

}  // namespace settings
