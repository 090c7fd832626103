// The session clock step by step: the time limit, the closing time across clock changes, the
// reminders, the idle end with and without its warning, and an end from outside.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "policy/SessionClock.h"

namespace {

using policy::ClockNow;
using policy::ClockStep;
using policy::EndReason;
using policy::SessionClock;
using policy::SessionPlan;

// Central European time: UTC+1, and UTC+2 from 2026-03-29 01:00 UTC (02:00 local becomes 03:00)
// to 2026-10-25 01:00 UTC (03:00 local becomes 02:00).
constexpr std::int64_t kSpring = 1774746000;
constexpr std::int64_t kAutumn = 1792890000;
constexpr std::int64_t kJuneNoonUtc = 1780315200;  // 2026-06-01 12:00 UTC, 14:00 local

std::int32_t europe(std::int64_t utc) {
    return utc >= kSpring && utc < kAutumn ? 7200 : 3600;
}

constexpr std::int32_t at(int h, int m, int s = 0) {
    return h * 3600 + m * 60 + s;
}

// One look: at `ms` after Agree, the wall clock `wallMs` past Agree's (or set to `setWallMs`),
// the desktop idle `idleMs` (none: no idle source); what the step answers.
struct Look {
    std::int64_t ms;
    std::optional<std::int64_t> idleMs = std::nullopt;
    std::optional<EndReason> end = std::nullopt;
    bool remind = false;
    std::optional<std::int64_t> left = std::nullopt;
    std::optional<std::int64_t> idleWarning = std::nullopt;
    int next = -1;                                          // -1: not checked
    std::optional<std::int64_t> outsideEnd = std::nullopt;  // handed in before this look
    std::int64_t wallShiftMs = 0;  // the wall clock set this far from where time took it
};

struct Case {
    const char* name;
    SessionPlan plan;
    std::int64_t agreedUtcS;
    std::vector<Look> looks;
};

SessionPlan limit(std::int32_t seconds, std::vector<std::int32_t> reminders = {}) {
    SessionPlan plan;
    plan.closeSeconds = seconds;
    plan.reminders = std::move(reminders);
    return plan;
}
SessionPlan closing(std::int32_t timeOfDay, std::int32_t seconds = 0) {
    SessionPlan plan = limit(seconds);
    plan.closeAt = timeOfDay;
    return plan;
}
SessionPlan idle(std::int32_t seconds, std::int32_t warn) {
    SessionPlan plan;
    plan.idleSeconds = seconds;
    plan.idleWarnSeconds = warn;
    return plan;
}

constexpr auto kLimit = EndReason::TimeLimit;
constexpr auto kClosing = EndReason::ClosingTime;
constexpr auto kIdle = EndReason::Idle;
constexpr std::int64_t kHour = 3600'000;

TEST(SessionClock, Steps) {
    const std::int64_t june = kJuneNoonUtc;
    // clang-format off
    const Case cases[] = {
        {"LimitCountsWholeSecondsFromTheFirstLook", limit(3), june,
         {{0, {}, {}, false, 3, {}, 1000}, {1000, {}, {}, false, 2, {}, 1000},
          {1500, {}, {}, false, 2, {}, 500}, {2999, {}, {}, false, 1, {}, 1},
          {3000, {}, kLimit}}},
        {"NegativeLimitEndsAtTheFirstLook", limit(-5), june,
         {{0, {}, {}, false, 1}, {1000, {}, kLimit}}},
        {"NoTimeNoIdleNothingToLookFor", SessionPlan{}, june,
         {{5000, {}, {}, false, {}, {}, policy::kLongestLookMs}}},
        {"RemindersSeveralAtOnceThenEachInTurn", limit(20, {30, 25, 10, 5}), june,
         {{0, {}, {}, false, 20}, {1000, {}, {}, true, 19}, {2000, {}, {}, false, 18},
          {10000, {}, {}, true, 10}, {10500, {}, {}, false, 10}, {15000, {}, {}, true, 5},
          {16000, {}, {}, false, 4}}},
        {"ReminderAtTheEndIsOvertaken", limit(1, {5}), june,
         {{1000, {}, kLimit, false, 0}}},
        // 14:00 local; the wall clock runs 250 ms past the second at Agree.
        {"ClosingTimeCutsALongLimit", closing(at(14, 0, 10), 3600), june,
         {{0, {}, {}, false, 10}, {9000, {}, {}, false, 1}, {9800, {}, {}, false, 1},
          {10000, {}, kClosing}}},
        {"LimitBeforeTheClosingTime", closing(at(15, 0), 5), june, {{5000, {}, kLimit}}},
        {"ClockSetForwardBringsTheClosingTime", closing(at(14, 10)), june,
         {{0, {}, {}, false, 600}, {2000, {}, {}, false, 598, {}, -1, {}, 596'000},
          {4000, {}, kClosing}}},
        // 01:00 local: 02:00 to 03:00 is skipped; 02:30 comes at the change, an hour on.
        {"SkippedHourComesAtTheChange", closing(at(2, 30)), kSpring - 3600,
         {{0, {}, {}, false, 3600}, {3599'000, {}, {}, false, 1}, {kHour, {}, kClosing}}},
        // 01:00 local: 04:00 is four hours on, the hour from 02:00 coming twice.
        {"HourRepeatedInAutumn", closing(at(4, 0)), kAutumn - 2 * 3600,
         {{0, {}, {}, false, 4 * 3600}, {4 * kHour, {}, kClosing}}},
        {"IdleWarnsCountsDownAndEnds", idle(10, 3), june,
         {{0, 0, {}, false, {}, {}, 7000}, {7000, 7000, {}, false, {}, 3, 200},
          {7200, 7200, {}, false, {}, 3, 200}, {9800, 9800, {}, false, {}, 1, 200},
          {9900, 9900, {}, false, {}, 1, 100}, {10000, 10000, kIdle}}},
        {"InputTakesTheWarningAwayAndRestartsTheCount", idle(10, 3), june,
         {{8000, 8000, {}, false, {}, 2}, {8200, 100, {}, false, {}, {}, 6900},
          {15100, 7000, {}, false, {}, 3}}},
        {"IdleWithoutWarningLooksOnlyAtTheEnd", idle(5, 0), june,
         {{0, 0, {}, false, {}, {}, 5000}, {5000, 5000, kIdle}}},
        {"NoIdleSourceNoIdleEnd", idle(5, 3), june,
         {{60000, {}, {}, false, {}, {}, policy::kLongestLookMs}}},
        {"TimeAndIdleShareTheLooks", [] { SessionPlan p = idle(10, 3); p.closeSeconds = 60; return p; }(), june,
         {{0, 0, {}, false, 60, {}, 1000}, {6000, 6000, {}, false, 54, {}, 1000},
          {6500, 6500, {}, false, 54, {}, 500}, {7000, 7000, {}, false, 53, 3, 200},
          // No reading due: the answer of the last one.
          {7100, {}, {}, false, 53, 3, 100}}},
        {"OutsideEndLaterThanTheLimitMovesIt", limit(5), june,
         {{1000, {}, {}, false, 7, {}, -1, 8000}, {5000, {}, {}, false, 3},
          {8000, {}, kLimit}}},
        {"OutsideEndShortensTheLimit", limit(60), june,
         {{1000, {}, {}, false, 2, {}, -1, 3000}, {3000, {}, kLimit}}},
        {"OutsideEndWithoutAPlanEnd", SessionPlan{}, june,
         {{1000, {}, {}, false, 9, {}, 1000, 10'000}, {9500, {}, {}, false, 1},
          {10000, {}, kLimit}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int64_t agreed = c.agreedUtcS * 1000 + 250;
        SessionClock clock(c.plan, agreed, europe);
        std::int64_t wallShift = 0;
        for (const Look& look : c.looks) {
            SCOPED_TRACE(look.ms);
            if (look.outsideEnd) {
                clock.setOutsideEnd(look.outsideEnd);
            }
            ClockNow now{look.ms, agreed + look.ms + wallShift, look.idleMs};
            ClockStep step = clock.step(now);
            wallShift += look.wallShiftMs;
            EXPECT_EQ(step.end, look.end);
            EXPECT_EQ(step.remind, look.remind);
            if (!look.end || look.left) {
                EXPECT_EQ(step.secondsLeft, look.left);
            }
            EXPECT_EQ(step.idleWarningSeconds, look.idleWarning);
            if (look.next != -1) {
                EXPECT_EQ(step.nextLookMs, look.next);
            }
        }
    }
}

// What the guard asks: the time to the end, without a step's side effects.
TEST(SessionClock, TimeUntilTheEnd) {
    SessionClock clock(closing(at(14, 0, 10), 3600), kJuneNoonUtc * 1000, europe);
    ClockNow now{2500, kJuneNoonUtc * 1000 + 2500, std::nullopt};
    EXPECT_EQ(clock.msUntilEnd(now), 7500);
    clock.setOutsideEnd(20'000);
    EXPECT_EQ(clock.msUntilEnd(now), 17'500) << "an outside end replaces the plan's";
    clock.setOutsideEnd(std::nullopt);
    EXPECT_EQ(clock.msUntilEnd(now), 7500) << "and handing in none brings it back";
    EXPECT_EQ(SessionClock(SessionPlan{}, 0, europe).msUntilEnd(now), std::nullopt);
}

}  // namespace
