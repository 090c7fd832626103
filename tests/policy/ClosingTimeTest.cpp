// Time as text, and when the closing time comes by the local clock.

#include <gtest/gtest.h>

#include "policy/ClosingTime.h"
#include "policy/TimeText.h"

namespace {

constexpr std::int32_t at(int h, int m, int s = 0) {
    return h * 3600 + m * 60 + s;
}

TEST(TimeLeft, TextAtTheEdges) {
    struct Row {
        std::int64_t seconds;
        const char* text;
    } rows[] = {{-5, "0:00"},        {0, "0:00"},          {1, "0:01"},       {59, "0:59"},
                {60, "1:00"},        {3599, "59:59"},      {3600, "1:00:00"}, {3661, "1:01:01"},
                {86399, "23:59:59"}, {360000, "100:00:00"}};
    for (const Row& row : rows) {
        EXPECT_EQ(policy::formatTimeLeft(row.seconds), row.text) << row.seconds;
    }
    EXPECT_EQ(policy::formatTimeOfDay(at(21, 45)), "21:45");
    EXPECT_EQ(policy::formatTimeOfDay(at(7, 0, 30)), "07:00:30");
    EXPECT_EQ(policy::formatTimeOfDay(0), "00:00");
    // A part of a second counts as a whole one, so that 0:01 is the last second shown.
    EXPECT_EQ(policy::wholeSecondsLeft(1), 1);
    EXPECT_EQ(policy::wholeSecondsLeft(1000), 1);
    EXPECT_EQ(policy::wholeSecondsLeft(1001), 2);
    EXPECT_LE(policy::wholeSecondsLeft(0), 0);
}

// Central European time: UTC+1, and UTC+2 from the last Sunday of March, 01:00 UTC (02:00 local
// becomes 03:00) to the last Sunday of October, 01:00 UTC (03:00 local becomes 02:00).
constexpr std::int64_t kSpring = 1774746000;  // 2026-03-29 01:00 UTC
constexpr std::int64_t kAutumn = 1792890000;  // 2026-10-25 01:00 UTC
constexpr std::int64_t kJune = 1780272000;    // 2026-06-01 00:00 UTC

std::int32_t europe(std::int64_t utc) {
    return utc >= kSpring && utc < kAutumn ? 7200 : 3600;
}

TEST(ClosingTime, NextReadingOfTheClockAcrossMidnightAndDaylightSaving) {
    constexpr std::int64_t kHour = 3600 * 1000;
    struct Row {
        const char* name;
        std::int64_t nowUtcMs;
        std::int32_t closeAt;
        std::int64_t msLeft;
    } rows[] = {
        // 2026-06-01 02:00 local (UTC+2); the day's times below are local.
        {"LaterToday", (kJune + at(18, 0)) * 1000, at(21, 45), 1 * kHour + 45 * 60 * 1000},
        {"PassedComesTomorrow", (kJune + at(20, 0)) * 1000, at(21, 45),
         23 * kHour + 45 * 60 * 1000},
        {"NowIsTomorrow", (kJune + at(19, 45)) * 1000, at(21, 45), 24 * kHour},
        {"AcrossMidnight", (kJune + at(21, 30)) * 1000, at(0, 30), 1 * kHour},
        {"PartOfASecond", (kJune + at(19, 44, 58)) * 1000 + 300, at(21, 45), 1700},
        // Spring: 01:00 local is 00:00 UTC; the clock skips from 02:00 to 03:00.
        {"SpringForward", (kSpring - 3600) * 1000, at(4, 0), 2 * kHour},
        {"SkippedTimeComesAtTheChange", (kSpring - 3600) * 1000, at(2, 30), 1 * kHour},
        // Autumn: 01:00 local is 23:00 UTC the day before; 02:00 to 03:00 comes twice.
        {"AutumnBack", (kAutumn - 2 * 3600) * 1000, at(4, 0), 4 * kHour},
        {"RepeatedTimeComesTheFirstTime", (kAutumn - 2 * 3600) * 1000, at(2, 30), 3 * kHour / 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::int64_t closing = policy::nextClosingTime(row.nowUtcMs, europe, row.closeAt);
        EXPECT_EQ(policy::msUntilClosingTime(row.nowUtcMs, europe, closing), row.msLeft);
        // From that moment on nothing is left; a millisecond before, something was.
        std::int64_t end = row.nowUtcMs + row.msLeft;
        EXPECT_EQ(policy::msUntilClosingTime(end - 1, europe, closing), 1);
        EXPECT_LE(policy::msUntilClosingTime(end, europe, closing), 0);
        EXPECT_LT(policy::msUntilClosingTime(end + 1000, europe, closing), 0);
    }
}

}  // namespace
