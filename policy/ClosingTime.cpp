#include "policy/ClosingTime.h"

#include <algorithm>

#include "policy/TimeText.h"

namespace policy {
namespace {

constexpr std::int64_t kDay = 86400;

}  // namespace

std::int64_t nextClosingTime(std::int64_t nowUtcMs, const TimeZone& zone, std::int32_t timeOfDay) {
    const std::int64_t nowUtc = floorDiv(nowUtcMs, 1000);
    const std::int64_t local = nowUtc + zone(nowUtc);
    const std::int64_t midnight = floorDiv(local, kDay) * kDay;
    const std::int64_t today = midnight + timeOfDay;
    return today > local ? today : today + kDay;
}

std::int64_t msUntilClosingTime(std::int64_t nowUtcMs, const TimeZone& zone,
                                std::int64_t closingLocal) {
    const std::int64_t nowUtc = floorDiv(nowUtcMs, 1000);
    const std::int32_t offset = zone(nowUtc);
    const std::int64_t localMs = nowUtcMs + std::int64_t{offset} * 1000;
    if (localMs >= closingLocal * 1000) {
        return closingLocal * 1000 - localMs;
    }
    // With today's offset the clock reads it then; unless the offset changes before.
    std::int64_t end = closingLocal - offset;
    if (zone(end) != offset) {
        // The first second of the new offset, between now and then.
        std::int64_t before = nowUtc;
        std::int64_t after = end;
        while (after - before > 1) {
            std::int64_t middle = before + (after - before) / 2;
            (zone(middle) == offset ? before : after) = middle;
        }
        // After the change the clock reads it at this moment; a closing time the change skips
        // has come when the clock jumps past it.
        end = std::max(closingLocal - zone(after), after);
    }
    return end * 1000 - nowUtcMs;
}

}  // namespace policy
