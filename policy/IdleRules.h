#pragma once
// The idle end's rules, which the settings checker reports as well as the policy window follows
// them: after how long without input the session ends, when the idle warning shows, and what
// its countdown reads. Idle times are milliseconds as the desktop counts them; settings are
// seconds.

#include <algorithm>
#include <cstdint>

namespace policy {

// The idle time, in seconds, at which the session ends; 0: never (0 or less configured).
constexpr std::int32_t idleEnd(std::int32_t idleSeconds) {
    return std::max(idleSeconds, 0);
}

// The warning's keys are read on Agree only when an idle end is armed.
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

// Whether this idle time ends the session.
constexpr bool idleEnds(std::int64_t idleMs, std::int32_t idleSeconds) {
    return idleEnd(idleSeconds) != 0 && idleMs >= std::int64_t{idleSeconds} * 1000;
}

// Whether the warning shows at this idle time (and the end is not yet due).
constexpr bool idleWarns(std::int64_t idleMs, std::int32_t idleSeconds, std::int32_t warnSeconds) {
    std::int32_t warning = idleWarning(idleSeconds, warnSeconds);
    return warning != 0 && !idleEnds(idleMs, idleSeconds) &&
           idleMs >= (std::int64_t{idleSeconds} - warning) * 1000;
}

// The whole seconds left before the idle end, rounded up: the countdown never reads 0 before
// the end.
constexpr std::int64_t idleSecondsLeft(std::int64_t idleMs, std::int32_t idleSeconds) {
    return (std::int64_t{idleSeconds} * 1000 - idleMs + 999) / 1000;
}

// While the warning shows, the idle time is looked at this often, so that input takes it away
// at once rather than up to a second later.
inline constexpr int kLookWhileWarningMs = 200;

// Milliseconds until the next look at the idle time: when it next reaches a whole second, where
// the warning, each step of its countdown and the end fall; sooner while the warning shows. At
// most a second, so that input and a pause are both seen within one.
constexpr int nextIdleLook(std::int64_t idleMs, bool warning) {
    int toWholeSecond = static_cast<int>(1000 - (idleMs % 1000 + 1000) % 1000);
    return warning ? std::min(toWholeSecond, kLookWhileWarningMs) : toWholeSecond;
}

}  // namespace policy
