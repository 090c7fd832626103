#include "runtime/system/win32/Clock.h"

#include <windows.h>

namespace runtime::win32 {

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01, UTC.
constexpr std::int64_t kUnixEpochInFileTime = 116444736000000000;

std::int64_t fileTimeTicks(const FILETIME& ft) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) |
                                     ft.dwLowDateTime);
}

}  // namespace

std::int64_t wallClockNowMs() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return (fileTimeTicks(now) - kUnixEpochInFileTime) / 10000;
}

std::int32_t localUtcOffsetAt(std::int64_t utcSeconds) {
    std::uint64_t ticks = static_cast<std::uint64_t>(utcSeconds * 10000000 + kUnixEpochInFileTime);
    FILETIME utcFile{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    FILETIME localFile{};
    // The zone's rules for that date, daylight saving included; none known: UTC.
    if (!::FileTimeToSystemTime(&utcFile, &utc) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
        !::SystemTimeToFileTime(&local, &localFile)) {
        return 0;
    }
    return static_cast<std::int32_t>((fileTimeTicks(localFile) - fileTimeTicks(utcFile)) /
                                     10000000);
}

}  // namespace runtime::win32
