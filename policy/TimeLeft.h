#pragma once
// The time left of a session: how the countdown and the warning show it, and when the closing
// time comes by the local wall clock.

#include <cstdint>
#include <functional>
#include <string>

namespace policy {

// `M:SS` under an hour, `H:MM:SS` from an hour up ("59:59", "1:00:00"); a negative number of
// seconds shows as none left, "0:00".
std::string formatTimeLeft(std::int64_t seconds);

// The local time zone: its offset from UTC in seconds east at a moment (seconds since
// 1970-01-01 00:00 UTC), daylight saving included.
using TimeZone = std::function<std::int32_t(std::int64_t utcSeconds)>;

// The next moment the local clock reads `timeOfDay` (seconds since midnight): today, or
// tomorrow when that time has come already. Counted as the local clock counts, in seconds since
// 1970-01-01 00:00 local time, so that it stays a reading of the clock whatever the clock does.
std::int64_t nextClosingTime(std::int64_t nowUtcMs, const TimeZone& zone, std::int32_t timeOfDay);

// Milliseconds from now until the local clock first reads `closingLocal` (as nextClosingTime
// counts) or later; 0 or less once it does. A change of offset on the way (daylight saving)
// moves the moment with the clock; a closing time that the clock skips comes at the change.
std::int64_t msUntilClosingTime(std::int64_t nowUtcMs, const TimeZone& zone,
                                std::int64_t closingLocal);

// Whole seconds in `ms` as the countdown counts them: a part of a second counts as one.
constexpr std::int64_t wholeSecondsLeft(std::int64_t ms) {
    return ms <= 0 ? ms / 1000 : (ms + 999) / 1000;
}

}  // namespace policy
