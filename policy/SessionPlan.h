#pragma once
// Everything the settings file says about a session's time, read once at Agree: the time
// limit, the closing time, the reminders and their texts, the countdown, the idle end and its
// warning. It is built from a settings file alone, with no window and no backend, so that the
// gate, the settings checker and the guard work from the very same plan. What the plan's
// values then do, second by second, is the session clock's (policy/SessionClock.h).

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/Keys.h"

namespace policy {

// How a plan's reads treat a malformed value: the gate shows the settings notice
// ("Ini RW Class"), the guard and the checker read quietly (neutral value, no box).
enum class Reading { WithNotice, Quiet };

// The session's time limit in seconds after Agree for a ClosePorvaneInSeconds; 0: none. A
// negative number ends the session at the first look, one second after Agree.
constexpr std::int32_t closingTick(std::int32_t closeSeconds) {
    return closeSeconds < 0 ? 1 : closeSeconds;
}

// Whether Agree starts a session with a time limit: a timed close, a closing time or both.
// Only then are the keys of what time shows the user read (the warning, the countdown): without
// one they mean nothing, so a bad value there cannot interrupt the start.
constexpr bool hasTimeLimit(std::int32_t closeSeconds, bool closeAt) {
    return closeSeconds != 0 || closeAt;
}

// The idle time, in seconds, at which the session ends; 0: never (0 or less configured).
constexpr std::int32_t idleEnd(std::int32_t idleSeconds) {
    return std::max(idleSeconds, 0);
}

// The idle warning's keys are read at Agree only when an idle end is armed.
constexpr bool readsIdleWarningKeys(std::int32_t idleSeconds) {
    return idleEnd(idleSeconds) != 0;
}

// Seconds before the idle end at which the warning shows; 0: none. A warning as long as the
// idle time or longer cannot wait for a pause that is not there yet: it comes as soon as a whole
// second has passed without input. A one-second idle end leaves no room for one.
constexpr std::int32_t idleWarning(std::int32_t idleSeconds, std::int32_t warnSeconds) {
    if (idleEnd(idleSeconds) == 0 || warnSeconds <= 0) {
        return 0;
    }
    return std::min(warnSeconds, idleSeconds - 1);
}

struct SessionPlan {
    std::int32_t closeSeconds = 0;        // ClosePorvaneInSeconds; 0: no limit
    std::optional<std::int32_t> closeAt;  // CloseAt, seconds since local midnight
    bool closeAfterAgree = false;         // ClosePorvaneAfterAgree
    std::vector<std::int32_t> reminders;  // WarnBeforeSeconds, largest first
    std::string warnTitle, warnText;
    bool showTimeLeft = false;
    std::string timeLeftTitle;
    // The idle end and its warning as the rules above take them: 0 for none.
    std::int32_t idleSeconds = 0, idleWarnSeconds = 0;
    std::string idleWarnTitle, idleWarnText;

    bool hasTimeLimit() const { return policy::hasTimeLimit(closeSeconds, closeAt.has_value()); }
    bool operator==(const SessionPlan&) const = default;
};

// Everything the settings file says about a session's time, read once at Agree.
SessionPlan readSessionPlan(const std::string& iniFile, Reading reading);

// The same, with the time limit as the policy window already read it when it loaded.
SessionPlan readSessionPlan(const std::string& iniFile, Reading reading, std::int32_t closeSeconds);

// The plan from any source of the keys' values, `values.value(key)` giving what the typed
// reader of that key would (the settings file's readers, the checker's report). The keys are
// read in the gate's order, and only those it reads: the warning's and the countdown's with a
// time limit, the idle warning's with an idle end.
template <class Values>
SessionPlan makeSessionPlan(const Values& values, std::int32_t closeSeconds) {
    namespace key = settings::key;
    SessionPlan plan;
    plan.closeSeconds = closeSeconds;
    plan.closeAt = values.value(key::CloseAt);
    if (plan.hasTimeLimit()) {
        plan.reminders = values.value(key::WarnBeforeSeconds);
        plan.warnTitle = values.value(key::WarnTitle);
        plan.warnText = values.value(key::WarnText);
        plan.showTimeLeft = values.value(key::ShowTimeLeft);
        plan.timeLeftTitle = values.value(key::TimeLeftTitle);
    }
    plan.idleSeconds = idleEnd(values.value(key::IdleSeconds));
    if (readsIdleWarningKeys(plan.idleSeconds)) {
        plan.idleWarnSeconds = idleWarning(plan.idleSeconds, values.value(key::IdleWarnSeconds));
        plan.idleWarnTitle = values.value(key::IdleWarnTitle);
        plan.idleWarnText = values.value(key::IdleWarnText);
    }
    plan.closeAfterAgree = values.value(key::ClosePorvaneAfterAgree);
    return plan;
}

}  // namespace policy
