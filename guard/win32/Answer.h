#pragma once
// One message from the pipe, answered through the guard's rules: who may ask what, and the
// reply's words. No platform header: the pipe's facts come in already found out.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "guard/Guard.h"

namespace guard::win32 {

// Who is calling, as the pipe and the caller's token say.
struct PipeCaller {
    Caller caller;               // its session (from its process) and its connection
    bool administrator = false;  // its token holds the Administrators group
    std::uint32_t uid = 0;       // its account's relative id
};

struct Answered {
    std::string reply;
    std::string refused;  // why, when the reply is a refusal
};

// The reply to `message`. A malformed message is refused and changes nothing; EXTEND and END are
// for administrators only; STATUS shows others' sessions to administrators only.
Answered answer(Guard& rules, const PipeCaller& who, std::string_view message, Moment now);

}  // namespace guard::win32
