#pragma once
// The wall clock and the local time zone as Windows keeps them, for the gate's backend and the
// guard alike.

#include <cstdint>

namespace runtime::win32 {

// Milliseconds since 1970-01-01 00:00 UTC.
std::int64_t wallClockNowMs();
// The local time zone's offset from UTC in seconds east at a moment (seconds since 1970),
// daylight saving included; UTC when the zone's rules are unknown.
std::int32_t localUtcOffsetAt(std::int64_t utcSeconds);

}  // namespace runtime::win32
