#pragma once
// The guard's own settings, section [Guard] of the root-owned settings file. The guard reads
// them quietly: a value that is not of its form takes the key's default and shows no notice, as
// nobody is there to see one.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace guard {

struct GuardSettings {
    std::vector<std::string> users;
    std::vector<std::string> groups;
    std::int32_t gateSeconds = 60;
    std::int32_t agreeSeconds = 600;  // 0: no end for want of an Agree
    std::int32_t graceSeconds = 60;
    std::int32_t dailySeconds = 0;  // 0: no day's allowance
    std::string dayUsedText;
};

// The names in a Users or Groups value: separated by commas and/or blanks, empty ones left out.
std::vector<std::string> splitNames(std::string_view text);

// [Guard] of the settings file; the defaults where the file or a key is missing.
GuardSettings readGuardSettings(const std::string& iniFile);

// What the gate shows when the day's allowance is used up: DayUsedText, or a plain default.
std::string dayUsedMessage(const GuardSettings& settings);

}  // namespace guard
