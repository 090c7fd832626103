#pragma once
// The session clock: what the session's time rules decide at a moment after Agree. Pure code,
// time passed in: the plan's limit, closing time and reminders against the time since Agree
// and the wall clock, its idle end and warning against the desktop's idle time, and an end
// handed in from outside. Each step answers whether the session ends now and why, whether a
// reminder is due, what the countdown and the idle warning read, and when to look again. The
// policy window acts on the answer; the guard asks it when the session ends.

#include <cstdint>
#include <optional>
#include <vector>

#include "policy/ClosingTime.h"
#include "policy/SessionPlan.h"

namespace policy {

// Why a session ended: the user (Disagree, the close box, ClosePorvaneAfterAgree), time (the
// limit, the closing time, idleness) or from outside at once (a signal). An end handed in from
// outside as a deadline (setOutsideEnd) is the session's time limit, moved: TimeLimit.
enum class EndReason { Disagree, CloseBox, AfterAgree, TimeLimit, ClosingTime, Idle, Outside };

// Whether time brought this end about: then the application ends before the closing notice,
// and a notice before a log-off closes itself.
constexpr bool endedByTime(EndReason reason) {
    return reason == EndReason::TimeLimit || reason == EndReason::ClosingTime ||
           reason == EndReason::Idle;
}

struct ClockNow {
    std::int64_t sinceAgreeMs;           // monotonic
    std::int64_t wallClockMs;            // UTC ms since 1970
    std::optional<std::int64_t> idleMs;  // none: no idle source, or no reading due (wantsIdle)
};

struct ClockStep {
    std::optional<EndReason> end;                    // the session ends now, for this reason
    bool remind = false;                             // a reminder is due now
    std::optional<std::int64_t> secondsLeft;         // none without a time limit
    std::optional<std::int64_t> idleWarningSeconds;  // the idle warning shows, with these left
    int nextLookMs = 1000;                           // when to ask again
};

// Whether the reminder `reminder` seconds before the end is due with `secondsLeft` to go.
constexpr bool reminderDue(std::int32_t reminder, std::int64_t secondsLeft) {
    return reminder >= secondsLeft;
}

// Whether a reminder ever comes in a session of this ClosePorvaneInSeconds alone: the clock
// looks first one second after Agree, last with one second left, and the end wins over it.
constexpr bool everReminds(std::int32_t closeSeconds, std::int32_t reminder) {
    return closingTick(closeSeconds) > 1 && reminder > 0 && reminderDue(reminder, 1);
}

// While the idle warning shows, the idle time is looked at this often, so that input takes it
// away at once rather than up to a second later.
inline constexpr int kLookWhileWarningMs = 200;

// The longest wait between two looks: with nothing due sooner, the clock looks again this late.
inline constexpr int kLongestLookMs = 60'000;

class SessionClock {
  public:
    SessionClock(SessionPlan plan, std::int64_t agreedWallClockMs, TimeZone zone);

    // An end handed in from outside (the guard's), in ms since Agree: it replaces the plan's
    // own end; a later one moves it, an earlier one shortens it. none: back to the plan's. When
    // it comes, the step says TimeLimit: it is the limit, moved.
    void setOutsideEnd(std::optional<std::int64_t> sinceAgreeMs);

    // Milliseconds from `now` until the end that time brings about (limit, closing time,
    // outside end); none without one. No side effects: the guard calls it to compute its end.
    std::optional<std::int64_t> msUntilEnd(const ClockNow& now) const;

    // One step: consumes due reminders. The time's rules are decided at whole seconds since
    // Agree, from the first on, as a countdown that changes each second counts; a step between
    // two of them answers as the last one did, and one in Agree's own second only tells the
    // time left. The idle end and warning come at the idle time they fall on.
    ClockStep step(const ClockNow& now);

    // Whether a step at this moment wants the idle time read: the idle look is due. Reading it
    // costs a round trip to the desktop, and input between two looks only moves the idle end
    // later, so a step in between answers from the last reading.
    bool wantsIdle(std::int64_t sinceAgreeMs) const {
        return plan_.idleSeconds != 0 && (!idleLookAt_ || sinceAgreeMs >= *idleLookAt_);
    }

    const SessionPlan& plan() const { return plan_; }
    // Whether any step can bring anything: an end by time, an idle end to watch for.
    bool watches(bool idleSource) const;

  private:
    // The reason of an end that time brings about at `now`.
    EndReason timeEnd(const ClockNow& now) const;
    std::optional<std::int64_t> msUntilLimit(std::int64_t sinceAgreeMs) const;
    std::optional<std::int64_t> msUntilClosing(std::int64_t wallClockMs) const;
    int nextIdleLook(std::int64_t idleMs, bool warning) const;

    SessionPlan plan_;
    TimeZone zone_;
    // The closing time as the local clock counts it (policy::nextClosingTime), from Agree.
    std::optional<std::int64_t> closingLocal_;
    std::optional<std::int64_t> outsideEnd_;
    // The reminders still to come, largest first.
    std::vector<std::int32_t> reminders_;
    // From the first idle reading on: when the next is due (ms since Agree), and the idle
    // warning's seconds it gave.
    std::optional<std::int64_t> idleLookAt_;
    std::optional<std::int64_t> idleWarning_;
};

}  // namespace policy
