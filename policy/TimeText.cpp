#include "policy/TimeText.h"

#include <cstdio>

namespace policy {
namespace {

// Hours, minutes and seconds, the hours at least `hourDigits` wide; the hours left out when
// there are none and they may be, the seconds when there are none and they may be.
std::string clockText(std::int64_t seconds, int hourDigits, bool hoursOptional,
                      bool secondsOptional) {
    const long long h = seconds / 3600;
    const int m = static_cast<int>(seconds / 60 % 60);
    const int s = static_cast<int>(seconds % 60);
    char text[32];
    if (hoursOptional && h == 0) {
        std::snprintf(text, sizeof text, "%d:%02d", m, s);
    } else if (secondsOptional && s == 0) {
        std::snprintf(text, sizeof text, "%0*lld:%02d", hourDigits, h, m);
    } else {
        std::snprintf(text, sizeof text, "%0*lld:%02d:%02d", hourDigits, h, m, s);
    }
    return text;
}

}  // namespace

std::string formatTimeLeft(std::int64_t seconds) {
    return clockText(seconds < 0 ? 0 : seconds, 1, true, false);
}

std::string formatTimeOfDay(std::int32_t secondOfDay) {
    return clockText(secondOfDay, 2, false, true);
}

}  // namespace policy
