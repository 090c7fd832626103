#pragma once
// The guard's status as the administrator sees it: the JSON the guard answers Status with, read
// back by porvanectl / PorvaneCtl.exe, and the plain table they print.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "policy/ClosingTime.h"

namespace guard {

struct StatusRow {
    std::string id;
    std::string user;
    std::uint32_t uid = 0;
    std::string state;                        // waiting, policy, agreed or ending
    std::optional<std::int64_t> agreedAt;     // Unix seconds
    std::optional<std::int64_t> secondsLeft;  // until the guard's end, grace not included
    std::int64_t usedTodaySeconds = 0;
};

// {"sessions": [{"id": "c1", "user": "lab", "uid": 1001, "state": "agreed", "agreedAt": ...,
// "secondsLeft": ..., "usedTodaySeconds": ...}]}, null where there is no value.
std::string statusJson(const std::vector<StatusRow>& rows);

// Reads what statusJson writes (any spacing); none for anything else.
std::optional<std::vector<StatusRow>> parseStatusJson(std::string_view json);

// A header line, then one line per session, in columns:
// SESSION  USER  STATE  AGREED  LEFT  USED (AGREED as local HH:MM, times as M:SS or H:MM:SS, -
// where there is none).
std::string statusText(const std::vector<StatusRow>& rows, const policy::TimeZone& zone);

}  // namespace guard
