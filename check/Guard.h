#pragma once
// What the guard will make of the [Guard] keys, as the checker reports it: whom it guards and
// the ends it holds them to, each value as the guard takes it (a key left out or not a number
// is its default).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/Checker.h"

namespace check {

struct GuardView {
    std::vector<std::string> users;
    std::vector<std::string> groups;
    std::int32_t gateSeconds = 60;
    std::int32_t agreeSeconds = 600;  // 0: no end for want of Agree
    std::int32_t graceSeconds = 60;
    std::optional<std::int32_t> dailySeconds;
    bool guardsAnyone() const { return !users.empty() || !groups.empty(); }
};

GuardView guardView(const Report& report);

// "guards the sessions of lab and of the group students; ends one with no gate after 60 s, ...";
// empty when the guard guards nobody.
std::string guardSummary(const Report& report);

}  // namespace check
