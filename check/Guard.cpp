#include "check/Guard.h"

#include "settings/Keys.h"

namespace check {
namespace {

namespace key = settings::key;

// Names separated by commas and/or blanks.
std::vector<std::string> names(const std::string& text) {
    std::vector<std::string> out;
    std::string name;
    for (char c : text + ' ') {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!name.empty()) {
                out.push_back(name);
            }
            name.clear();
        } else {
            name += c;
        }
    }
    return out;
}

// A number the guard reads, or none when it is left out, empty or not a number (which the
// checker reports on its own).
std::optional<std::int32_t> written(const Report& report, const settings::LongKey& which) {
    const Setting& setting = report.setting(which);
    std::string_view text = setting.text;
    bool blank = text.find_first_not_of(" \t") == std::string_view::npos;
    // A reader's 0 is a written 0 only where the text says nothing else.
    bool zero = text.find_first_not_of(" \t0+-") == std::string_view::npos;
    return !blank && (setting.number != 0 || zero) ? std::optional(setting.number) : std::nullopt;
}

std::string joinedAnd(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    }
    return text;
}

// Short times in seconds ("60 s"), longer ones in the largest whole unit ("10 minutes").
std::string span(std::int32_t seconds) {
    if (seconds < 120 || seconds % 60 != 0) {
        return std::to_string(seconds) + " s";
    }
    std::int32_t unit = seconds % 3600 == 0 ? 3600 : 60;
    std::int32_t count = seconds / unit;
    return std::to_string(count) + (unit == 3600 ? " hour" : " minute") + (count == 1 ? "" : "s");
}

}  // namespace

GuardView guardView(const Report& report) {
    GuardView view;
    view.users = names(report.value(key::Users));
    view.groups = names(report.value(key::Groups));
    if (auto gate = written(report, key::GateSeconds); gate && *gate > 0) {
        view.gateSeconds = *gate;
    }
    if (auto agree = written(report, key::AgreeSeconds)) {
        view.agreeSeconds = *agree > 0 ? *agree : 0;
    }
    if (auto grace = written(report, key::GraceSeconds)) {
        view.graceSeconds = *grace > 0 ? *grace : 0;
    }
    if (auto daily = written(report, key::DailySeconds); daily && *daily > 0) {
        view.dailySeconds = *daily;
    }
    return view;
}

std::string guardSummary(const Report& report) {
    GuardView view = guardView(report);
    if (!view.guardsAnyone()) {
        return {};
    }
    std::vector<std::string> whose;
    if (!view.users.empty()) {
        whose.push_back(joinedAnd(view.users));
    }
    if (!view.groups.empty()) {
        whose.push_back(std::string(view.groups.size() == 1 ? "the group " : "the groups ") +
                        joinedAnd(view.groups));
    }
    std::vector<std::string> ends = {"one with no gate after " + span(view.gateSeconds)};
    if (view.agreeSeconds > 0) {
        ends.push_back("one not agreed to after " + span(view.agreeSeconds));
    }
    ends.push_back("one whose gate ends");
    ends.push_back("one whose time is up " + span(view.graceSeconds) + " after its end");
    std::string text = "guards the sessions of " + whose.front() +
                       (whose.size() > 1 ? " and of " + whose.back() : "") + "; ends " +
                       joinedAnd(ends);
    if (view.dailySeconds) {
        text += "; " + span(*view.dailySeconds) + " a day each";
    }
    return text;
}

}  // namespace check
