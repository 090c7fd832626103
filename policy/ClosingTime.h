#pragma once
// The closing time by the local wall clock: when the clock next reads a time of day, and how
// long until it does, across changes of the clock's offset (daylight saving).

#include <cstdint>
#include <functional>

namespace policy {

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

}  // namespace policy
