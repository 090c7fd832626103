// Who may ask the Windows guard what, through the shared rules: a malformed message and an
// ordinary user's EXTEND or END change nothing; the gate speaks of its own session only.
#include <gtest/gtest.h>

#include "guard/win32/Answer.h"
#include "tests/guard/GuardSupport.h"

namespace {

using guard::win32::answer;
using guard::win32::PipeCaller;
using guard_test::Bench;

TEST(Answer, OnlyAdministratorsExtendOrEndAndAGateSpeaksOfItsOwnSession) {
    struct Row {
        const char* message;
        bool administrator;
        const char* reply;  // its start
    };
    // In order, on one guard: session 7 is lab's (uid 1001), guarded, its gate on pipe:1.
    const Row rows[] = {
        {"AGREED", false, "ERR REFUSED"},  // no HELLO yet
        {"HELLO", false, "OK GUARDED 7"},
        {"HELLO 2", false, "ERR REFUSED"},
        {"EXTEND 7 600", false, "ERR REFUSED"},
        {"END 7", false, "ERR REFUSED"},
        {"AGREED", false, "OK 1800"},
        {"STATUS", false, "OK "},
        {"EXTEND 9 600", true, "ERR NOSUCHSESSION"},
        {"EXTEND 7 600", true, "OK"},
        {"END 7 now", true, "ERR REFUSED"},
        {"END 7", true, "OK"},
    };
    Bench b("Users=lab\n");
    b.plan = 1800 * 1000;  // the settings' time limit: half an hour
    b->sessionNew(guard_test::facts("7"), b.now);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        const PipeCaller who{{"7", "pipe:1"}, row.administrator, 1001};
        const auto got = answer(*b, who, row.message, b.now);
        EXPECT_EQ(got.reply.substr(0, std::string(row.reply).size()), row.reply);
        EXPECT_EQ(got.refused.empty(), got.reply.rfind("ERR", 0) != 0);
    }
    EXPECT_EQ(b.effects.changed,
              (std::vector<std::pair<std::string, std::int64_t>>{{"pipe:1", 2400}}));
    EXPECT_EQ(b.effects.toldToEnd, std::vector<std::string>{"pipe:1"});
}

TEST(Answer, AnOrdinaryUserSeesOnlyTheirOwnSessions) {
    Bench b("Users=lab, ann\n");
    b->sessionNew(guard_test::facts("7", "lab", 1001), b.now);
    b->sessionNew(guard_test::facts("8", "ann", 1002), b.now);
    const auto ids = [&](bool administrator) {
        const std::string reply =
            answer(*b, {{"7", "pipe:1"}, administrator, 1001}, "STATUS", b.now).reply;
        const auto rows = guard::parseStatusJson(reply.substr(reply.find(' ', 3) + 1));
        std::vector<std::string> out;
        for (const auto& row : rows.value()) {
            out.push_back(row.id);
        }
        return out;
    };
    EXPECT_EQ(ids(false), std::vector<std::string>{"7"});
    EXPECT_EQ(ids(true), (std::vector<std::string>{"7", "8"}));
}

}  // namespace
