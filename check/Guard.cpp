#include "check/Guard.h"

#include "settings/Keys.h"

namespace check {
namespace {

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

guard::GuardSettings guardSettings(const Report& report) {
    return guard::guardSettingsFrom(
        [&report](const settings::KeySpec& key) { return report.setting(key).text; });
}

bool guardsAnyone(const guard::GuardSettings& settings) {
    return !settings.users.empty() || !settings.groups.empty();
}

std::string guardSummary(const Report& report) {
    guard::GuardSettings view = guardSettings(report);
    if (!guardsAnyone(view)) {
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
    if (view.dailySeconds > 0) {
        text += "; " + span(view.dailySeconds) + " a day each";
    }
    return text;
}

}  // namespace check
