#pragma once
// What each key of the table means, for the settings reference; the program itself never says
// it, so only the reference and its generator are built with it.

#include <string>

#include "settings/Keys.h"

namespace settings {

// The key's meaning in plain sentences; empty for a key the meanings lack (a test forbids it).
std::string meaningOf(const KeySpec& key);

}  // namespace settings
