#pragma once
// The end the settings give a session agreed now, as the gate computes it: the same plan and
// the same clock, read quietly.

#include <cstdint>
#include <optional>
#include <string>

#include "policy/ClosingTime.h"

namespace guard {

// Milliseconds from Agree (at `agreedWallMs`) until the session's end by its time limit or
// closing time; none without one.
std::optional<std::int64_t> planEndMs(const std::string& iniFile, std::int64_t agreedWallMs,
                                      const policy::TimeZone& zone);

}  // namespace guard
