#pragma once
// The time left of a session as the countdown and the warning show it.

#include <cstdint>
#include <string>

namespace policy {

// `M:SS` under an hour, `H:MM:SS` from an hour up ("59:59", "1:00:00"); a negative number of
// seconds shows as none left, "0:00".
std::string formatTimeLeft(std::int64_t seconds);

}  // namespace policy
