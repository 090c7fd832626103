// The state file: what the guard writes it reads back, and anything else it refuses whole.

#include <gtest/gtest.h>

#include "guard/GuardState.h"

namespace {

TEST(GuardState, ReadsBackWhatItWrites) {
    guard::GuardState state;
    state.latestMs = 1765180800000;
    state.use["lab"] = {20430, 600000};
    state.use["Jo Doe%"] = {20430, 1};
    state.sessions.push_back({"c1", 1001, "lab", 5, 6, 7, 8});
    state.sessions.push_back({"c 2", 1002, "", 5, 6, 7, std::nullopt});
    const std::string text = guard::formatState(state);
    auto back = guard::parseState(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(guard::formatState(*back), text);
    EXPECT_EQ(back->use.at("Jo Doe%").usedMs, 1);
    EXPECT_EQ(back->sessions[1].id, "c 2");
    EXPECT_EQ(back->sessions[1].endMs, std::nullopt);
}

TEST(GuardState, RefusesAnythingElse) {
    const char* bad[] = {
        "",
        "porvane-guard-state 1",  // no line end
        "porvane-guard-state 2\n",
        "porvane-guard-state 1\nlatest -5\n",
        "porvane-guard-state 1\nlatest 5 6\n",
        "porvane-guard-state 1\nlatest 1000000000000000\n",
        "porvane-guard-state 1\nused lab 1\n",
        "porvane-guard-state 1\nused lab 1 2\nused lab 1 2\n",
        "porvane-guard-state 1\nused la%G0 1 2\n",
        "porvane-guard-state 1\nused lab%4 1 2\n",
        "porvane-guard-state 1\nused  1 2\n",
        "porvane-guard-state 1\nagreed c1 1001 lab 1 2 3 soon\n",
        "porvane-guard-state 1\nagreed c1 4294967296 lab 1 2 3 -\n",
        "porvane-guard-state 1\n\n",
        "porvane-guard-state 1\r\nlatest 5\r\n",
        "porvane-guard-state 1\nwhatever\n",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(guard::parseState(text)) << text;
    }
    EXPECT_FALSE(
        guard::parseState("porvane-guard-state 1\n" + std::string(guard::kMaxStateBytes, '\n')));
}

}  // namespace
