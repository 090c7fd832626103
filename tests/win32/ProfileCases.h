#pragma once
// The files and look-ups of the differential profile test: our reader against the platform's
// GetPrivateProfileStringW and GetPrivateProfileStringA on the same ANSI/ASCII bytes.

#include <optional>
#include <string>
#include <vector>

namespace profile_cases {

struct Case {
    std::string name;
    std::string bytes;    // the file's bytes; ignored when `noFile`
    std::string section;  // UTF-8
    std::string key;
    std::string defaultValue = "dflt";
    bool noFile = false;
    // What our reader gives (UTF-8), and what Wine's gives where it differs deliberately.
    std::string ours;
    std::optional<std::string> wine;
};

std::vector<Case> all();

}  // namespace profile_cases
