#pragma once
// Findings about the settings taken together, once every key has been read as the gate will read
// it: settings that contradict each other, blanks, texts that do not fit. Each rule is one
// function and one row of the table in Rules.cpp, so a new setting brings its own row.

#include "check/Checker.h"

namespace check {

// Applies every rule of the table to the report, adding its findings.
void applyRules(Report& report);

}  // namespace check
