#pragma once
// Time as the session counts and shows it: milliseconds to whole seconds, and seconds as the
// clock's text. The countdown, the warnings and the settings checker all count and write time
// through these.

#include <cstdint>
#include <string>

namespace policy {

// Whole seconds in `ms` as a countdown counts them: a part of a second counts as one, so that
// the last second shows as 0:01 and 0:00 means the end. 0 or less stays 0 or less.
constexpr std::int64_t wholeSecondsLeft(std::int64_t ms) {
    return ms <= 0 ? ms / 1000 : (ms + 999) / 1000;
}

// The whole seconds before `ms` on a count that starts at 0, and the milliseconds past it.
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}
constexpr int msIntoSecond(std::int64_t ms) {
    return static_cast<int>(ms - floorDiv(ms, 1000) * 1000);
}

// The time left: `M:SS` under an hour, `H:MM:SS` from an hour up ("59:59", "1:00:00"); a
// negative number of seconds shows as none left, "0:00".
std::string formatTimeLeft(std::int64_t seconds);

// A time of day (seconds since midnight) as the clock shows it: `HH:MM`, with `:SS` when there
// are seconds ("21:45", "07:00:30").
std::string formatTimeOfDay(std::int32_t secondOfDay);

}  // namespace policy
