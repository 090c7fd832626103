#pragma once
// One request from the pipe, answered through the rules: who may ask what, and the reply's words.

#include <optional>
#include <string>
#include <string_view>

#include "guard/win32/Rules.h"

namespace guard::win32 {

struct Answered {
    std::string reply;
    bool saidHello = false;  // the connection is now its session's gate
};

// The reply to `message` from `caller`. A malformed message is refused and changes nothing;
// EXTEND and END are for administrators only.
Answered answer(Rules& rules, const Caller& caller, std::string_view message, std::int64_t nowMs);

}  // namespace guard::win32
