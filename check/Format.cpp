#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "check/Checker.h"
#include "policy/PolicyRules.h"
#include "policy/SessionClock.h"
#include "policy/TimeText.h"

namespace check {
namespace {

std::string location(const Report& report, const Problem& problem) {
    std::string where = report.file + ":";
    if (problem.line != 0) {
        where += std::to_string(problem.line) + ":";
    }
    if (!problem.section.empty()) {
        where += " [" + problem.section + "]";
    }
    if (!problem.key.empty()) {
        where += " " + problem.key;
    }
    return where + ": ";
}

// A dimension as the file gives it, with the rule that turns it into the window's.
std::string size(std::string_view what, std::int32_t configured, int designed) {
    if (configured == 0) {
        return std::string(what) + " as designed, " + std::to_string(designed) +
               " inside the frame";
    }
    return std::string(what) + " " + std::to_string(configured) +
           " as written, the frame included (the window comes out " +
           std::to_string(policy::kExtraPixels) + " pixel larger)";
}

std::string program(const Report& report) {
    if (!report.program) {
        return "nothing: Agree ends the gate with an error (see above)";
    }
    std::string text = report.program->path;
    if (report.program->path != report.program->program) {
        text += " (" + quoted(report.program->program) + ")";
    }
    if (report.program->arguments.empty()) {
        return text + " without arguments";
    }
    text += " with arguments";
    for (const std::string& argument : report.program->arguments) {
        text += " " + quoted(argument);
    }
    return text;
}

// "and" before the last of a list: "10, 5 and 1".
std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    }
    return text;
}

// Whole seconds in the largest unit that divides them all: "60 minutes", "1 hour".
std::string inWords(const std::vector<std::int32_t>& seconds) {
    struct Unit {
        std::int32_t size;
        const char* one;
        const char* many;
    };
    constexpr Unit kUnits[] = {
        {3600, "hour", "hours"}, {60, "minute", "minutes"}, {1, "second", "seconds"}};
    for (const Unit& unit : kUnits) {
        if (std::ranges::all_of(seconds, [&](std::int32_t s) { return s % unit.size == 0; })) {
            std::vector<std::string> numbers;
            for (std::int32_t s : seconds) {
                numbers.push_back(std::to_string(s / unit.size));
            }
            bool single = seconds.size() == 1 && seconds.front() == unit.size;
            return joined(numbers) + " " + (single ? unit.one : unit.many);
        }
    }
    return {};
}

// The session's time as the gate's plan has it, read from the report as the gate reads it.
policy::SessionPlan planOf(const Report& report) {
    return policy::makeSessionPlan(report, report.value(settings::key::ClosePorvaneInSeconds));
}

// The session's time in words: "ends after 60 minutes, at 21:45 at the latest; reminders at 10,
// 5 and 1 minutes; the time left is shown". Empty without a time limit.
std::string sessionTime(const policy::SessionPlan& plan) {
    std::int32_t seconds = plan.closeSeconds;
    const std::optional<std::int32_t>& closeAt = plan.closeAt;
    if (!plan.hasTimeLimit()) {
        return {};
    }
    std::string text = "ends";
    if (seconds != 0) {
        text += " after " + inWords({policy::closingTick(seconds)});
    }
    if (closeAt) {
        text += (seconds != 0 ? ", at " : " at ") + policy::formatTimeOfDay(*closeAt) +
                (seconds != 0 ? " at the latest" : "");
    }
    // With the seconds limit alone, the reminders that can come are known.
    std::vector<std::int32_t> reminders;
    for (std::int32_t w : plan.reminders) {
        if (closeAt || policy::everReminds(seconds, w)) {
            reminders.push_back(w);
        }
    }
    if (!reminders.empty()) {
        text +=
            (reminders.size() == 1 ? "; a reminder at " : "; reminders at ") + inWords(reminders);
    }
    if (plan.showTimeLeft) {
        text += "; the time left is shown";
    }
    return text;
}

std::string afterAgree(const Report& report, const policy::SessionPlan& plan) {
    std::int32_t seconds = plan.closeSeconds;
    std::int32_t tick = policy::closingTick(seconds);
    const std::optional<std::int32_t>& closeAt = plan.closeAt;
    std::string text;
    if (plan.closeAfterAgree) {
        text = "the policy window closes at once" +
               std::string(tick != 0 ? ", so no time limit runs" : "");
    } else if (tick != 0) {
        // A negative number is said as what it does.
        text = "after " +
               (seconds < 0 ? std::string("one second") : std::to_string(tick) + " seconds") +
               (closeAt ? " or at " + policy::formatTimeOfDay(*closeAt) + ", whichever comes first,"
                        : "") +
               " the policy window closes";
    } else if (closeAt) {
        text = "at " + policy::formatTimeOfDay(*closeAt) + " the policy window closes";
    } else {
        return "no time limit; the gate stays running, hidden, until it is ended from outside";
    }
    if (report.value(settings::key::ShowCloseDialog)) {
        text +=
            ", the closing notice " + quoted(report.value(settings::key::CloseTitle)) + " is shown";
    }
    text += report.value(settings::key::CloseApplicationOnClose)
                ? ", and the whole application (every process it started) is ended " +
                      std::string(plan.hasTimeLimit() && !plan.closeAfterAgree
                                      ? "then, before any notice; also "
                                      : "") +
                      "when the gate ends, even when the gate is killed"
                : ", and the application keeps running";
    return text;
}

// The idle end in words; empty when there is none.
std::string idleEnd(const Report& report, const policy::SessionPlan& plan) {
    std::int32_t idle = plan.idleSeconds;
    // A policy window that closes at Agree watches nothing afterwards.
    if (idle == 0 || plan.closeAfterAgree) {
        return {};
    }
    std::string text = "  idle end: after " + std::to_string(idle) +
                       " seconds without keyboard or mouse input anywhere in the session, from "
                       "Agree on, the session ends as at a time limit: the policy window closes";
    if (report.value(settings::key::ShowCloseDialog)) {
        text +=
            ", the closing notice " + quoted(report.value(settings::key::CloseTitle)) + " is shown";
    }
    text += report.value(settings::key::CloseApplicationOnClose)
                ? ", and the application is ended at once"
                : ", and the application keeps running";
    if (std::int32_t warn = plan.idleWarnSeconds; warn != 0) {
        text += "; the idle warning " + quoted(plan.idleWarnTitle) + " counts down the last " +
                std::to_string(warn) + " seconds";
    }
    return text +
           "\n  the idle time comes from the desktop: Windows, X11 with the MIT-SCREEN-SAVER "
           "extension, Wayland compositors with an idle protocol (sway, KDE); where the desktop "
           "offers none the gate says so on standard error and the session never ends idle\n";
}

}  // namespace

namespace {

std::string jsonValue(const Setting& setting) {
    switch (setting.known->type) {
        case KeyType::Boolean:
            return setting.flag ? "true" : "false";
        case KeyType::Long:
        case KeyType::Integer:
            return std::to_string(setting.number);
        case KeyType::SecondsList: {
            std::string list = "[";
            for (std::int32_t s : setting.seconds) {
                list += (list.size() > 1 ? "," : "") + std::to_string(s);
            }
            return list + "]";
        }
        case KeyType::TimeOfDay:
            return setting.timeOfDay ? jsonString(policy::formatTimeOfDay(*setting.timeOfDay))
                                     : "null";
        case KeyType::String:
            break;
    }
    return jsonString(setting.text);
}

}  // namespace

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string formatText(const Report& report) {
    std::string out;
    for (const Problem& problem : report.problems) {
        out += location(report, problem) +
               (problem.severity == Severity::Advice ? "advice: " : "") + problem.message + "\n";
    }
    std::string title = report.value(settings::key::FormCaption);
    out += "What the gate will do with " + report.file + ":\n";
    out += "  policy window: title " + quoted(title) + ", buttons " +
           quoted(report.value(settings::key::DisagreeCaption)) + " and " +
           quoted(report.value(settings::key::AgreeCaption)) + "\n";
    out += "  size in pixels: " +
           size("width", report.value(settings::key::PolicyWidth),
                policy::designedPixels(policy::kClientWidth)) +
           "; " +
           size("height", report.value(settings::key::PolicyHeight),
                policy::designedPixels(policy::kClientHeight)) +
           "\n";
    out += "  policy: " +
           (report.policyPath.empty() ? std::string("none, an empty view") : report.policyPath) +
           "\n";
    out += "  Agree starts: " + program(report) + "\n";
    const policy::SessionPlan plan = planOf(report);
    out += "  after Agree: " + afterAgree(report, plan) + "\n";
    if (std::string time = sessionTime(plan); !time.empty()) {
        out += "  time: " + time + "\n";
    }
    if (report.setting(settings::key::LogOffOnClose).flag) {
        out +=
            "  at the end: the user's desktop session is logged off, after Disagree too "
            "(not when the gate is killed)\n";
    }
    return out + idleEnd(report, plan);
}

std::string formatJson(const Report& report) {
    std::string out = "{\"file\":" + jsonString(report.file) +
                      ",\"encoding\":" + jsonString(report.encoding) + ",\"problems\":[";
    for (std::size_t i = 0; i < report.problems.size(); ++i) {
        const Problem& p = report.problems[i];
        out += (i == 0 ? "" : ",") + std::string("{\"line\":") + std::to_string(p.line) +
               ",\"section\":" + jsonString(p.section) + ",\"key\":" + jsonString(p.key) +
               ",\"severity\":" + (p.severity == Severity::Error ? "\"error\"" : "\"advice\"") +
               ",\"error\":" + std::to_string(p.errorNumber) +
               ",\"message\":" + jsonString(p.message) + "}";
    }
    out += "],\"settings\":{";
    std::string_view section;
    for (const Setting& setting : report.settings) {
        if (setting.known->section != section) {
            out += (section.empty() ? "" : "},") + jsonString(setting.known->section) + ":{";
            section = setting.known->section;
        } else {
            out += ",";
        }
        out += jsonString(setting.known->name) + ":" + jsonValue(setting);
    }
    out += "}},\"policyPath\":" + jsonString(report.policyPath) + ",\"program\":";
    if (report.program) {
        out += "{\"name\":" + jsonString(report.program->program) +
               ",\"path\":" + jsonString(report.program->path) + ",\"arguments\":[";
        for (std::size_t i = 0; i < report.program->arguments.size(); ++i) {
            out += (i == 0 ? "" : ",") + jsonString(report.program->arguments[i]);
        }
        out += "]}";
    } else {
        out += "null";
    }
    return out + "}\n";
}

}  // namespace check
