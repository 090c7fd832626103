#include "policy/TimeLeft.h"

#include <cstdio>

namespace policy {

std::string formatTimeLeft(std::int64_t seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    const long long h = seconds / 3600;
    const int m = static_cast<int>(seconds / 60 % 60);
    const int s = static_cast<int>(seconds % 60);
    char text[32];
    if (h > 0) {
        std::snprintf(text, sizeof text, "%lld:%02d:%02d", h, m, s);
    } else {
        std::snprintf(text, sizeof text, "%d:%02d", m, s);
    }
    return text;
}

}  // namespace policy
