#include "guard/PlanEnd.h"

#include "policy/SessionClock.h"
#include "policy/SessionPlan.h"

namespace guard {

std::optional<std::int64_t> planEndMs(const std::string& iniFile, std::int64_t agreedWallMs,
                                      const policy::TimeZone& zone) {
    policy::SessionClock clock(policy::readSessionPlan(iniFile, policy::Reading::Quiet),
                               agreedWallMs, zone);
    return clock.msUntilEnd({0, agreedWallMs, std::nullopt});
}

}  // namespace guard
