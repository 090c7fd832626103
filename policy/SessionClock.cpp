#include "policy/SessionClock.h"

#include <algorithm>
#include <utility>

#include "policy/TimeText.h"

namespace policy {

SessionClock::SessionClock(SessionPlan plan, std::int64_t agreedWallClockMs, TimeZone zone)
    : plan_(std::move(plan)), zone_(std::move(zone)), reminders_(plan_.reminders) {
    if (plan_.closeAt) {
        closingLocal_ = nextClosingTime(agreedWallClockMs, zone_, *plan_.closeAt);
    }
}

void SessionClock::setOutsideEnd(std::optional<std::int64_t> sinceAgreeMs) {
    outsideEnd_ = sinceAgreeMs;
}

bool SessionClock::watches(bool idleSource) const {
    return plan_.hasTimeLimit() || outsideEnd_ || (idleSource && plan_.idleSeconds != 0);
}

std::optional<std::int64_t> SessionClock::msUntilLimit(std::int64_t sinceAgreeMs) const {
    if (plan_.closeSeconds == 0) {
        return std::nullopt;
    }
    return std::int64_t{closingTick(plan_.closeSeconds)} * 1000 - sinceAgreeMs;
}

std::optional<std::int64_t> SessionClock::msUntilClosing(std::int64_t wallClockMs) const {
    if (!closingLocal_) {
        return std::nullopt;
    }
    // Read against the wall clock at every look, so that the end follows a clock change.
    return msUntilClosingTime(wallClockMs, zone_, *closingLocal_);
}

std::optional<std::int64_t> SessionClock::msUntilEnd(const ClockNow& now) const {
    if (outsideEnd_) {
        return *outsideEnd_ - now.sinceAgreeMs;
    }
    std::optional<std::int64_t> limit = msUntilLimit(now.sinceAgreeMs);
    std::optional<std::int64_t> closing = msUntilClosing(now.wallClockMs);
    if (limit && closing) {
        return std::min(*limit, *closing);
    }
    return limit ? limit : closing;
}

EndReason SessionClock::timeEnd(const ClockNow& now) const {
    if (outsideEnd_) {
        return EndReason::TimeLimit;
    }
    std::optional<std::int64_t> limit = msUntilLimit(now.sinceAgreeMs);
    std::optional<std::int64_t> closing = msUntilClosing(now.wallClockMs);
    return limit && (!closing || *limit <= *closing) ? EndReason::TimeLimit
                                                     : EndReason::ClosingTime;
}

int SessionClock::nextIdleLook(std::int64_t idleMs, bool warning) const {
    if (warning) {
        // Each step of the warning's countdown and the end fall on whole seconds of idle time.
        return std::min(1000 - msIntoSecond(idleMs), kLookWhileWarningMs);
    }
    // Until the warning, or the end without one, nothing shows: input meanwhile only moves
    // that moment later, which the look then finds.
    std::int64_t due = std::int64_t{plan_.idleSeconds - plan_.idleWarnSeconds} * 1000 - idleMs;
    return static_cast<int>(std::clamp<std::int64_t>(due, 1, kLongestLookMs));
}

ClockStep SessionClock::step(const ClockNow& now) {
    ClockStep step;
    step.nextLookMs = kLongestLookMs;
    // The time's rules as at the last whole second since Agree.
    const int intoSecond = msIntoSecond(now.sinceAgreeMs);
    const ClockNow atSecond{now.sinceAgreeMs - intoSecond, now.wallClockMs - intoSecond,
                            now.idleMs};
    // Agree's own second only shows the time left: the first look is one second after it.
    const bool looked = atSecond.sinceAgreeMs > 0;
    if (std::optional<std::int64_t> ms = msUntilEnd(atSecond)) {
        std::int64_t left = wholeSecondsLeft(*ms);
        if (left <= 0 && looked) {
            step.end = timeEnd(atSecond);
            step.secondsLeft = 0;
            return step;
        }
        step.secondsLeft = std::max<std::int64_t>(left, 0);
        step.nextLookMs = 1000 - intoSecond;
    }
    if (now.idleMs && plan_.idleSeconds != 0) {
        const std::int64_t idleEndMs = std::int64_t{plan_.idleSeconds} * 1000;
        if (*now.idleMs >= idleEndMs) {
            step.end = EndReason::Idle;
            return step;
        }
        const bool warns = plan_.idleWarnSeconds != 0 &&
                           *now.idleMs >= idleEndMs - std::int64_t{plan_.idleWarnSeconds} * 1000;
        idleWarning_.reset();
        if (warns) {
            idleWarning_ = wholeSecondsLeft(idleEndMs - *now.idleMs);
        }
        idleLookAt_ = now.sinceAgreeMs + nextIdleLook(*now.idleMs, warns);
    }
    if (idleLookAt_) {
        step.idleWarningSeconds = idleWarning_;
        const std::int64_t untilIdleLook =
            std::max<std::int64_t>(*idleLookAt_ - now.sinceAgreeMs, 1);
        step.nextLookMs = static_cast<int>(std::min<std::int64_t>(step.nextLookMs, untilIdleLook));
    }
    if (step.secondsLeft && looked) {
        // Every reminder that is due now (several when the session began shorter than them)
        // brings the one warning. Largest first, the due ones lead the list.
        auto notDue = std::ranges::find_if(
            reminders_, [&](std::int32_t r) { return !reminderDue(r, *step.secondsLeft); });
        step.remind = notDue != reminders_.begin();
        reminders_.erase(reminders_.begin(), notDue);
    }
    return step;
}

}  // namespace policy
