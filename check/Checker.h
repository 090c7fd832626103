#pragma once
// The settings checker: what the gate will make of a Porvane.ini, found out before rollout. It
// reads the file through the gate's own profile reader and conversions; the line scan only
// adds where each key is written.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/system/CommandLine.h"
#include "settings/Keys.h"
#include "text/Json.h"

namespace check {

using settings::KeySpec;
using settings::KeyType;

// Two kinds of finding. The exit status fails on errors only (on advice too with --strict).
enum class Severity {
    // The gate shows a notice or a fatal box, or does something other than the file plainly
    // says (a key it never reads because of a slip in its name or its section).
    Error,
    // Everything else: settings that contradict each other, blanks, captions that do not fit,
    // forms the gate reads in a way worth knowing.
    Advice,
};

struct Problem {
    std::size_t line = 0;  // counted from 1; 0 when the key is not written in the file
    std::string section;   // as the table spells it when known, else as written
    std::string key;
    Severity severity = Severity::Advice;
    std::int32_t errorNumber = 0;  // the error the gate shows; 0 for none
    std::string message;
};

// A key's value as the gate will use it.
struct Setting {
    const KeySpec* known = nullptr;
    std::size_t line = 0;                   // where the gate reads it; 0 when it is not in the file
    std::string text;                       // the value as the reader returns it
    bool flag = false;                      // Boolean keys
    std::int32_t number = 0;                // integer keys
    std::vector<std::int32_t> seconds;      // lists of seconds, as the gate keeps them
    std::optional<std::int32_t> timeOfDay;  // times of day, seconds since midnight
};

struct Report {
    std::string file;
    std::string encoding;
    std::vector<Problem> problems;  // in the order of their lines; those without a line last
    std::vector<Setting> settings;  // one per known key, in the table's order
    std::string policyPath;         // as the gate resolves it; empty for none
    std::optional<runtime::ApplicationLookup> program;  // what Agree starts, when it can

    const Setting& setting(const KeySpec& key) const;
    // The value the gate will use, of the key's own type.
    const std::string& value(const settings::StringKey& key) const { return setting(key).text; }
    bool value(const settings::BooleanKey& key) const { return setting(key).flag; }
    std::int32_t value(const settings::LongKey& key) const { return setting(key).number; }
    std::int32_t value(const settings::IntegerKey& key) const { return setting(key).number; }
    const std::vector<std::int32_t>& value(const settings::SecondsListKey& key) const {
        return setting(key).seconds;
    }
    const std::optional<std::int32_t>& value(const settings::TimeOfDayKey& key) const {
        return setting(key).timeOfDay;
    }
    // A finding about a known key's value, at the line the gate reads it from.
    void add(const Setting& at, Severity severity, std::string message,
             std::int32_t errorNumber = 0);
    bool hasErrors() const;
};

// What the checker may ask of the system. The real one reads files and searches for programs;
// the fuzz target gives harmless stand-ins.
struct Environment {
    std::string folder;  // the gate's folder: a relative policy path is taken from here
    std::function<std::string(std::string_view path)> readFile;  // throws runtime::Error
    std::function<runtime::ApplicationLookup(std::string_view commandLine)> lookUpApplication;
};

// The system's own files and program search, with the gate's folder.
Environment systemEnvironment(std::string folder);

// The checker's exit status for a report: 1 when it holds an error (with `strict`, any finding),
// else 0.
int exitStatus(const Report& report, bool strict);

// Checks the settings file's bytes; `file` is the name its reports carry.
Report checkSettings(std::string_view file, std::string_view bytes, const Environment& env);

// The problems, one line each as FILE:LINE: [Section] Key: message (advice marked "advice: "),
// then what the gate will do.
std::string formatText(const Report& report);

// One JSON object with the file, its encoding, the problems and the effective settings.
std::string formatJson(const Report& report);

// A value as the reports quote it.
std::string quoted(std::string_view text);

// A text as a JSON string.
using text::jsonString;

}  // namespace check
