#pragma once
// What each key of the table means, for the settings reference; the program itself never says
// it, so only the reference and its generator are built with it.

#include <string>
#include <string_view>

#include "settings/Keys.h"

namespace settings {

// The key's meaning in plain sentences; empty for a key the meanings lack (a test forbids it).
std::string meaningOf(const KeySpec& key);

// What a missing or empty key gives, as the reference shows it: the reader's neutral value,
// except for the guard's few keys whose own default is not.
std::string_view defaultOf(const KeySpec& key);

}  // namespace settings
