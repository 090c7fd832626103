#include "check/Checker.h"
#include "check/Rules.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "policy/SessionPlan.h"
#include "runtime/Error.h"
#include "runtime/Files.h"
#include "settings/Conversions.h"
#include "settings/Profile.h"
#include "settings/dmlRWINIFile.h"
#include "text/Decode.h"
#include "text/Utf8.h"

namespace check {
namespace {

std::string lower(std::string_view name) {
    return text::utf16ToUtf8(runtime::foldProfileName(text::utf8ToUtf16(name)));
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The known name nearest to `name`, when it is near enough to be a slip of the keyboard.
template <class Names>
std::string_view nearest(std::string_view name, const Names& names) {
    std::string wanted = lower(name);
    std::string_view best;
    std::size_t bestDistance = std::max<std::size_t>(2, wanted.size() / 3) + 1;
    for (std::string_view candidate : names) {
        std::size_t distance = editDistance(wanted, lower(candidate));
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::string errorText(std::int32_t number) {
    return "error " + std::to_string(number) + " " + quoted(runtime::errorDescription(number));
}

std::string encodingName(std::string_view bytes) {
    // In the order of text::Encoding.
    constexpr const char* kNames[] = {"UTF-16LE", "UTF-8 with BOM", "UTF-8", "Windows-1252"};
    return kNames[static_cast<int>(text::encodingOf(bytes))];
}

class Checker {
  public:
    Checker(std::string_view file, std::string_view bytes, const Environment& env)
        : env_(env), text_(text::decodeToUtf16(bytes)) {
        report_.file = file;
        report_.encoding = encodingName(bytes);
    }

    Report run() {
        runtime::scanProfile(text_, [this](const runtime::ProfileLine& line) {
            if (line.kind == runtime::ProfileLine::Section) {
                section(line);
            } else if (line.kind == runtime::ProfileLine::Key) {
                key(line);
            }
            return true;
        });
        for (const KeySpec& known : settings::knownKeys()) {
            report_.settings.push_back(read(known));
        }
        policy();
        application();
        applyRules(report_);
        std::stable_sort(report_.problems.begin(), report_.problems.end(),
                         [](const Problem& a, const Problem& b) {
                             return (a.line == 0 ? SIZE_MAX : a.line) <
                                    (b.line == 0 ? SIZE_MAX : b.line);
                         });
        return std::move(report_);
    }

  private:
    void add(std::size_t line, std::string section, std::string key, Severity severity,
             std::int32_t number, std::string message) {
        report_.problems.push_back(
            {line, std::move(section), std::move(key), severity, number, std::move(message)});
    }

    // A problem with a known key's value, at the line the gate reads it from.
    void add(const Setting& setting, Severity severity, std::int32_t number, std::string message) {
        report_.add(setting, severity, std::move(message), number);
    }

    // ---- the line scan: where keys are written, and what the reader passes over ----

    void section(const runtime::ProfileLine& line) {
        std::string name = text::utf16ToUtf8(line.name);
        std::string_view known = settings::knownSection(name);
        section_ = known.empty() ? name : std::string(known);
        auto [first, isNew] = sectionLines_.emplace(lower(name), line.number);
        repeatOf_ = isNew ? 0 : first->second;
        if (known.empty() && isNew) {
            // A slip in a known name loses what the section was plainly meant to set; a section
            // of the administrator's own is only worth knowing about.
            std::string_view near = nearest(name, settings::knownSections());
            add(line.number, section_, "", near.empty() ? Severity::Advice : Severity::Error, 0,
                "unknown section" +
                    (near.empty() ? std::string() : "; did you mean [" + std::string(near) + "]?"));
        }
    }

    void key(const runtime::ProfileLine& line) {
        std::string name = text::utf16ToUtf8(line.name);
        // A key commented out (;WarnTitle=...) is read by no one, as its writer meant.
        if (name.starts_with(';') || name.starts_with('#')) {
            return;
        }
        const KeySpec* known = settings::findKey(name);
        std::string shown = known != nullptr ? std::string(known->name) : name;
        if (!anySectionYet()) {
            add(line.number, "", shown, known != nullptr ? Severity::Error : Severity::Advice, 0,
                "written before any section; the gate never reads it" +
                    (known != nullptr ? "; it belongs in [" + std::string(known->section) + "]"
                                      : std::string()));
            return;
        }
        if (known == nullptr) {
            std::vector<std::string_view> names;
            for (const KeySpec& candidate : settings::knownKeys()) {
                names.push_back(candidate.name);
            }
            std::string_view near = nearest(name, names);
            std::string hint;
            if (!near.empty()) {
                const KeySpec* guess = settings::findKey(near);
                hint = "; did you mean " +
                       (guess->section == section_ ? std::string()
                                                   : "[" + std::string(guess->section) + "] ") +
                       std::string(near) + "?";
            }
            add(line.number, section_, name, near.empty() ? Severity::Advice : Severity::Error, 0,
                "unknown key" + hint);
            return;
        }
        if (known->section != section_) {
            add(line.number, section_, shown, Severity::Error, 0,
                "belongs in [" + std::string(known->section) + "]; here the gate ignores it");
            return;
        }
        if (repeatOf_ != 0) {
            add(line.number, section_, shown, Severity::Error, 0,
                "the gate reads only the first [" + section_ + "] section, at line " +
                    std::to_string(repeatOf_) + "; this key is ignored");
            return;
        }
        auto [first, isNew] =
            keyLines_.emplace(known, WrittenAt{line.number, std::u16string(line.value)});
        if (!isNew) {
            // Only a different value changes what the gate does.
            bool same = first->second.value == line.value;
            add(line.number, section_, shown, same ? Severity::Advice : Severity::Error, 0,
                "duplicate of line " + std::to_string(first->second.line) +
                    "; the gate reads that one and ignores this one");
            return;
        }
        if (line.value.size() > settings::kMaxIniValue) {
            add(line.number, section_, shown, Severity::Advice, 0,
                "the value is " + std::to_string(line.value.size()) +
                    " characters long; the gate reads only the first " +
                    std::to_string(settings::kMaxIniValue));
        }
        if (quotesWorthSaying(line)) {
            std::string message = "the reader strips the outer quotes; the gate reads " +
                                  text::utf16ToUtf8(line.value);
            if (known->name == settings::key::Application.name) {
                message += " (to keep them, put one more pair of quotes around the whole value)";
            }
            add(line.number, section_, shown, Severity::Advice, 0, std::move(message));
        }
    }

    // The reader strips a pair of quotes around the whole value. That is worth saying only when
    // the value still holds that quote and is not itself wrapped in it: then the pair the reader
    // took was not one around the whole value ("a" "b"). A value wrapped for its blanks (" Lab ")
    // or given one more pair on purpose (""a" "b"") reads as its writer meant.
    static bool quotesWorthSaying(const runtime::ProfileLine& line) {
        if (line.value.size() == line.written.size()) {
            return false;
        }
        char16_t quote = line.written.front();
        std::u16string_view value = line.value;
        bool wrapped = value.size() >= 2 && value.front() == quote && value.back() == quote;
        return value.find(quote) != std::u16string_view::npos && !wrapped;
    }

    bool anySectionYet() const { return !sectionLines_.empty(); }

    // ---- the values, read as the gate reads them ----

    Setting read(const KeySpec& known) {
        Setting setting;
        setting.known = &known;
        auto line = keyLines_.find(&known);
        setting.line = line == keyLines_.end() ? 0 : line->second.line;
        setting.text = settings::iniValue(text_, known.section, known.name);
        if (setting.text.empty() || known.type == KeyType::String) {
            return setting;
        }
        try {
            switch (known.type) {
                case KeyType::Boolean:
                    setting.flag = settings::toBoolean(setting.text);
                    break;
                case KeyType::Long:
                    setting.number = settings::toLong(setting.text);
                    break;
                case KeyType::Integer:
                    setting.number = settings::toInteger(setting.text);
                    break;
                case KeyType::SecondsList:
                    setting.seconds = settings::toSecondsList(setting.text);
                    break;
                case KeyType::TimeOfDay:
                    setting.timeOfDay = settings::toTimeOfDay(setting.text);
                    break;
                case KeyType::String:
                    break;
            }
        } catch (const runtime::Error& error) {
            std::string what = errorText(error.number) + " for " + quoted(setting.text);
            std::string expected = "; expected " + std::string(settings::expectedForm(known.type));
            // Some keys are read only when the end they belong to is armed.
            if (std::string_view unread = unreadWithout(known); !unread.empty()) {
                add(setting, Severity::Advice, error.number,
                    what + ": the gate reads it only when " + std::string(unread) + expected);
                return setting;
            }
            add(setting, Severity::Error, error.number,
                what + ": the gate shows the \"Ini RW Class\" notice and then " +
                    neutralValue(known.type) + expected);
        }
        return setting;
    }

    // What must be set for the gate to read this key, as the table says when it reads it;
    // empty when it always reads it. Keys are read in the table's order, so the settings these
    // depend on are known by then.
    std::string_view unreadWithout(const KeySpec& known) const {
        switch (known.readAt) {
            case settings::ReadAt::AgreeWithIdleEnd:
                return policy::readsIdleWarningKeys(report_.value(settings::key::IdleSeconds))
                           ? std::string_view{}
                           : "IdleSeconds sets an idle end";
            case settings::ReadAt::AgreeWithTimeLimit:
                return timeLimit() ? std::string_view{}
                                   : "ClosePorvaneInSeconds or CloseAt sets a time limit";
            case settings::ReadAt::Load:
            case settings::ReadAt::Agree:
            case settings::ReadAt::End:
            case settings::ReadAt::Guard:
                return {};
        }
        return {};
    }

    bool timeLimit() const {
        return policy::hasTimeLimit(report_.value(settings::key::ClosePorvaneInSeconds),
                                    report_.value(settings::key::CloseAt).has_value());
    }

    static std::string neutralValue(KeyType type) {
        switch (type) {
            case KeyType::Boolean:
                return "uses False";
            case KeyType::SecondsList:
                return "gives no reminders";
            case KeyType::TimeOfDay:
                return "sets no closing time";
            default:
                return "uses 0";
        }
    }

    void policy() {
        const Setting& file = report_.setting(settings::key::PolicyFile);
        if (file.text.empty()) {
            return;
        }
        report_.policyPath = runtime::resolvePath(env_.folder, file.text);
        try {
            if (text::rtfSource(env_.readFile(report_.policyPath)).empty()) {
                add(file, Severity::Advice, 0,
                    report_.policyPath + " is not RTF; it will be shown as plain text");
            }
        } catch (const runtime::Error& error) {
            add(file, Severity::Error, error.number,
                errorText(error.number) + ": the gate ends at start with this error for " +
                    report_.policyPath);
        }
    }

    void application() {
        const Setting& line = report_.setting(settings::key::Application);
        try {
            report_.program = env_.lookUpApplication(line.text);
        } catch (const runtime::Error& error) {
            std::string what = line.text.find_first_not_of(" \t") == std::string::npos
                                   ? "the command line is empty"
                                   : "the program " + quoted(error.detail) + " cannot be started";
            add(line, Severity::Error, error.number,
                errorText(error.number) + ": " + what + "; Agree ends the gate with this error");
        }
    }

    const Environment& env_;
    std::u16string text_;
    Report report_;
    std::string section_;
    std::size_t repeatOf_ = 0;  // the first line of this section's name when it is a repeat
    std::map<std::string, std::size_t> sectionLines_;
    struct WrittenAt {
        std::size_t line;
        std::u16string value;
    };
    std::map<const KeySpec*, WrittenAt> keyLines_;
};

}  // namespace

const Setting& Report::setting(const KeySpec& key) const {
    for (const Setting& s : settings) {
        if (s.known->name == key.name) {
            return s;
        }
    }
    static const Setting none;
    return none;
}

void Report::add(const Setting& at, Severity severity, std::string message,
                 std::int32_t errorNumber) {
    problems.push_back({at.line, std::string(at.known->section), std::string(at.known->name),
                        severity, errorNumber, std::move(message)});
}

bool Report::hasErrors() const {
    return std::any_of(problems.begin(), problems.end(),
                       [](const Problem& p) { return p.severity == Severity::Error; });
}

int exitStatus(const Report& report, bool strict) {
    return report.hasErrors() || (strict && !report.problems.empty()) ? 1 : 0;
}

Environment systemEnvironment(std::string folder) {
    return {std::move(folder), [](std::string_view path) { return runtime::readWholeFile(path); },
            [](std::string_view line) { return runtime::lookUpApplication(line); }};
}

Report checkSettings(std::string_view file, std::string_view bytes, const Environment& env) {
    return Checker(file, bytes, env).run();
}

}  // namespace check
