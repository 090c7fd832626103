#pragma once
// What the guard keeps across its restarts, in its state folder: the day's allowance used by each
// user, the latest wall-clock time it has seen, and the sessions agreed so far, so that a guard
// started again goes on guarding them. A small text file, parsed strictly: a file that is not
// exactly of this form is set aside whole, never half believed.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "policy/ClosingTime.h"

namespace guard {

// A user's time in one local calendar day.
struct DayUse {
    std::int64_t day = 0;  // days since 1970-01-01 on the local calendar
    std::int64_t usedMs = 0;
};

// An agreed session as the guard left it.
struct StoredSession {
    std::string id;
    std::uint32_t uid = 0;
    std::string user;
    std::int64_t startedMs = 0;  // the session's own start, wall clock: tells a reused id apart
    std::int64_t agreedMs = 0;   // wall clock
    std::int64_t chargedMs = 0;  // wall clock up to which its time is in the user's day
    std::optional<std::int64_t> endMs;  // the guard's end, wall clock, grace not included
};

struct GuardState {
    std::int64_t latestMs = 0;          // the latest wall-clock time seen
    std::map<std::string, DayUse> use;  // by user name
    std::vector<StoredSession> sessions;
};

// The largest state file the guard reads.
inline constexpr std::size_t kMaxStateBytes = 1 << 20;

std::string formatState(const GuardState& state);

// None for anything that is not exactly what formatState writes.
std::optional<GuardState> parseState(std::string_view text);

// The wall clock as the guard believes it: never earlier than the latest time it has seen, so
// that a clock set back neither starts a new day nor gives time back.
std::int64_t believedTime(GuardState& state, std::int64_t wallMs);

// The local calendar day of a moment.
std::int64_t localDay(std::int64_t wallMs, const policy::TimeZone& zone);

// Adds `ms` of use that ended at `wallMs` (believed) to the user's day. When the day changed
// since the user's last use, only the part after the local midnight counts for the new day.
void chargeUse(GuardState& state, const std::string& user, std::int64_t ms, std::int64_t wallMs,
               const policy::TimeZone& zone);

// The user's use on the day of `wallMs` (believed), in ms.
std::int64_t usedOnDay(const GuardState& state, const std::string& user, std::int64_t wallMs,
                       const policy::TimeZone& zone);

}  // namespace guard
