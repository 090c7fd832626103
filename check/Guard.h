#pragma once
// What the guard will make of the [Guard] keys, as the checker reports it: the guard's own
// reading of them (guard/GuardSettings), from the values the checker read.

#include <string>

#include "check/Checker.h"
#include "guard/GuardSettings.h"

namespace check {

guard::GuardSettings guardSettings(const Report& report);

// Whether the guard guards anyone's sessions with these settings.
bool guardsAnyone(const guard::GuardSettings& settings);

// "guards the sessions of lab and of the group students; ends one with no gate after 60 s, ...";
// empty when the guard guards nobody.
std::string guardSummary(const Report& report);

}  // namespace check
