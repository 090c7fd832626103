#pragma once
// A desktop session as the guard follows it: the facts the platform layer found out about it,
// and where it is on its way from the gate's start to its end.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace guard {

// What the platform says about a session when it appears.
struct SessionFacts {
    std::string id;
    std::string user;
    std::uint32_t uid = 0;
    std::vector<std::string> groups;  // the user's groups, by name
    bool graphical = false;      // a desktop a user sits at (logind: Type x11/wayland, Class user)
    std::int64_t startedMs = 0;  // the session's start, wall clock
};

// waiting: no gate yet; policy: the gate shows the policy; agreed: the user agreed; ending: the
// gate or the guard is ending it.
enum class State { Waiting, Policy, Agreed, Ending };

std::string_view stateName(State state);

// Why the guard ends a session.
enum class EndReason { NoGate, NoAgree, GateEnded, TimeUp, DayUsed, Administrator };

std::string_view reasonText(EndReason reason);

}  // namespace guard
