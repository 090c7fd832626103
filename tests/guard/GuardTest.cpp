// The guard's rules on a virtual clock: which sessions it guards, its five ends, who may speak
// for a session, the administrator's extend and end, and the day's allowance.

#include <gtest/gtest.h>

#include <functional>

#include "tests/guard/GuardSupport.h"

namespace guard_test {
namespace {

using guard::Caller;

TEST(GuardSettings, ReadsQuietlyWithDefaults) {
    struct Case {
        const char* section;
        guard::GuardSettings expected;
    };
    const Case cases[] = {
        {"", {{}, {}, 60, 600, 60, 0, ""}},
        {"Users=ann, bob  carl,,\nGroups=\tlab ,kids\nDayUsedText=Bye\n",
         {{"ann", "bob", "carl"}, {"lab", "kids"}, 60, 600, 60, 0, "Bye"}},
        {"GateSeconds=30\nAgreeSeconds=0\nGraceSeconds=5\nDailySeconds=3600\n",
         {{}, {}, 30, 0, 5, 3600, ""}},
        {"GateSeconds=-5\nAgreeSeconds=-1\nGraceSeconds=-1\nDailySeconds=-9\n",
         {{}, {}, 60, 0, 0, 0, ""}},
        {"GateSeconds=soon\nAgreeSeconds=1e99\nGraceSeconds=\nDailySeconds=x\n",
         {{}, {}, 60, 600, 60, 0, ""}},
    };
    testing_support::TempDir dir;
    for (const Case& c : cases) {
        auto s = guard::readGuardSettings(
            dir.write("Porvane.ini", std::string("[Guard]\n") + c.section));
        SCOPED_TRACE(c.section);
        EXPECT_EQ(s.users, c.expected.users);
        EXPECT_EQ(s.groups, c.expected.groups);
        EXPECT_EQ(s.gateSeconds, c.expected.gateSeconds);
        EXPECT_EQ(s.agreeSeconds, c.expected.agreeSeconds);
        EXPECT_EQ(s.graceSeconds, c.expected.graceSeconds);
        EXPECT_EQ(s.dailySeconds, c.expected.dailySeconds);
        EXPECT_EQ(s.dayUsedText, c.expected.dayUsedText);
    }
    EXPECT_EQ(guard::readGuardSettings(dir.file("missing.ini")).gateSeconds, 60);
}

TEST(Guard, GuardsListedUsersAndGroupsNeverRoot) {
    guard::GuardSettings s;
    s.users = {"lab", "root"};
    s.groups = {"students"};
    struct Case {
        guard::SessionFacts facts;
        bool guarded;
    };
    const Case cases[] = {
        {{"c1", "lab", 1001, {}, true, 0}, true},
        {{"c2", "ann", 1002, {"users", "students"}, true, 0}, true},
        {{"c3", "ann", 1002, {"users"}, true, 0}, false},
        {{"c4", "lab", 1001, {}, false, 0}, false},  // no desktop: ssh, a tty
        {{"c5", "root", 0, {"students"}, true, 0}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(guard::isGuarded(c.facts, s), c.guarded) << c.facts.id;
    }
}

// Each end: what leads up to it, when (ms from the session's start) and why.
TEST(Guard, EndsEachWayAtItsTimeForItsReason) {
    struct Case {
        const char* name;
        const char* section;
        std::optional<std::int64_t> plan;
        std::function<void(Bench&)> leadUp;
        std::int64_t endsAfterMs;
        const char* reason;
    };
    const auto hello = [](Bench& b) { (void)b->hello(b.gate("c1"), b.now); };
    const auto agree = [](Bench& b) {
        (void)b->hello(b.gate("c1"), b.now);
        (void)b->agreed(b.gate("c1"), b.now);
    };
    const Case cases[] = {
        {"no gate", "GateSeconds=30\n", {}, [](Bench&) {}, 30'000, "no gate"},
        {"no Agree", "AgreeSeconds=120\n", {}, hello, 120'000, "nobody agreed"},
        {"gate killed",
         "",
         {},
         [](Bench& b) {
             (void)b->hello(b.gate("c1"), b.now);
             b->nameGone(":1.c1", b.now);
         },
         0,
         "the gate ended"},
        {"gate ended in order",
         "",
         {},
         [](Bench& b) {
             (void)b->hello(b.gate("c1"), b.now);
             (void)b->ending(b.gate("c1"), b.now);
             b.pass(2000);
             b->nameGone(":1.c1", b.now);
         },
         0,
         "the gate ended"},
        {"gate ends but lingers",
         "GraceSeconds=10\n",
         {},
         [](Bench& b) {
             (void)b->hello(b.gate("c1"), b.now);
             (void)b->ending(b.gate("c1"), b.now);
         },
         10'000,
         "the gate ended"},
        {"time up after grace", "GraceSeconds=20\n", 1'800'000, agree, 1'820'000, "time is up"},
        {"day used up", "DailySeconds=600\n", 1'800'000, agree, 660'000, "allowance"},
        {"time before the day", "DailySeconds=6000\n", 1'800'000, agree, 1'860'000, "time is up"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b(std::string("Users=lab\n") + c.section);
        b.plan = c.plan;
        b->sessionNew(facts("c1"), b.now);
        const std::int64_t start = b.now.monoMs;
        c.leadUp(b);
        if (c.endsAfterMs > 0) {
            b.pass(start + c.endsAfterMs - 1 - b.now.monoMs);
            EXPECT_TRUE(b.effects.terminated.empty());
            b.pass(1);
        }
        ASSERT_EQ(b.effects.terminated, std::vector<std::string>{"c1"});
        EXPECT_NE(b.effects.lines.back().find(c.reason), std::string::npos)
            << b.effects.lines.back();
        // logind is asked again while it still has the session; then nothing is timed.
        b.pass(30'000);
        EXPECT_EQ(b.effects.terminated.size(), 2u);
        b->sessionRemoved("c1", b.now);
        EXPECT_FALSE(b->nextDueMs());
    }
}

TEST(Guard, UnguardedSessionsAreLeftAlone) {
    Bench b("Users=lab\n");
    b->sessionNew(facts("c1", "ann", 1002), b.now);
    b->sessionNew({"c2", "lab", 1001, {}, false, 0}, b.now);
    EXPECT_FALSE(std::get<guard::HelloAnswer>(b->hello(b.gate("c1"), b.now)).guarded);
    EXPECT_FALSE(b->nextDueMs());
    b.pass(3'600'000);
    EXPECT_TRUE(b.effects.terminated.empty());
    EXPECT_TRUE(b->status({}, b.now).empty());
}

// Only the gate that said hello first speaks for its session, and only for its own.
TEST(Guard, OnlyTheSessionsOwnGateSpeaksForIt) {
    Bench b("Users=lab\n");
    b.plan = 600'000;
    b->sessionNew(facts("c1"), b.now);
    b->sessionNew(facts("c2"), b.now);
    const Caller gate{"c1", ":1.7"}, other{"c1", ":1.9"}, elsewhere{"c2", ":1.7"};
    EXPECT_TRUE(std::holds_alternative<guard::Refusal>(b->agreed(gate, b.now)));  // no hello
    EXPECT_TRUE(std::get<guard::HelloAnswer>(b->hello(gate, b.now)).guarded);
    EXPECT_TRUE(std::holds_alternative<guard::Refusal>(b->hello(other, b.now)));
    EXPECT_TRUE(std::holds_alternative<guard::Refusal>(b->agreed(other, b.now)));
    EXPECT_TRUE(std::holds_alternative<guard::Refusal>(b->ending(other, b.now)));
    EXPECT_TRUE(std::holds_alternative<guard::Refusal>(b->agreed(elsewhere, b.now)));
    b->nameGone(":1.9", b.now);
    EXPECT_TRUE(b.effects.terminated.empty());
    EXPECT_EQ(std::get<guard::AgreedAnswer>(b->agreed(gate, b.now)).secondsLeft, 600);
    // Agreeing again does not start the time again.
    b.pass(100'000);
    EXPECT_EQ(std::get<guard::AgreedAnswer>(b->agreed(gate, b.now)).secondsLeft, 500);
}

TEST(Guard, AdministratorMovesAndEndsSessions) {
    Bench b("Users=lab\nGraceSeconds=30\n");
    b.plan = 600'000;
    b.agree("c1");
    EXPECT_TRUE(std::holds_alternative<guard::Done>(b->extend("c1", 300, b.now)));
    EXPECT_EQ(b.effects.changed,
              (std::vector<std::pair<std::string, std::int64_t>>{{":1.c1", 900}}));
    (void)b->extend("c1", -850, b.now);
    EXPECT_EQ(b.effects.changed.back().second, 50);
    EXPECT_TRUE(std::get<guard::Refusal>(b->extend("c9", 60, b.now)).noSuchSession);
    EXPECT_FALSE(std::get<guard::Refusal>(b->extend("c1", 1LL << 40, b.now)).noSuchSession);
    b.pass(79'999);
    EXPECT_TRUE(b.effects.terminated.empty());
    b.pass(1);
    EXPECT_EQ(b.effects.terminated.size(), 1u);
    b->sessionRemoved("c1", b.now);

    // End: the gate is told and has the grace to end in order; a gate gone ends it at once.
    b.agree("c2");
    EXPECT_TRUE(std::holds_alternative<guard::Done>(b->end("c2", b.now)));
    EXPECT_EQ(b.effects.toldToEnd, std::vector<std::string>{":1.c2"});
    b.pass(29'999);
    EXPECT_EQ(b.effects.terminated.size(), 1u);
    b.pass(1);
    EXPECT_EQ(b.effects.terminated.back(), "c2");
    b->sessionRemoved("c2", b.now);
    b.agree("c3");
    (void)b->end("c3", b.now);
    b->nameGone(":1.c3", b.now);
    EXPECT_EQ(b.effects.terminated.back(), "c3");
    b->sessionRemoved("c3", b.now);
    // Waiting for its gate, a session's wait can be moved too.
    b->sessionNew(facts("c4"), b.now);
    (void)b->extend("c4", 60, b.now);
    b.pass(119'999);
    EXPECT_EQ(b.effects.terminated.back(), "c3");
    b.pass(1);
    EXPECT_EQ(b.effects.terminated.back(), "c4");
}

TEST(Guard, StatusListsGuardedSessionsOfTheAskingUser) {
    Bench b("Users=lab ann\nDailySeconds=3600\n");
    b.plan = 1'800'000;
    b.agree("c1");
    b.pass(600'000);
    b->sessionNew(facts("c2", "ann", 1002), b.now);
    auto rows = b->status({}, b.now);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].state, "agreed");
    EXPECT_EQ(rows[0].agreedAt, kMorningMs / 1000);
    EXPECT_EQ(rows[0].secondsLeft, 1200);
    EXPECT_EQ(rows[0].usedTodaySeconds, 600);
    EXPECT_EQ(rows[1].state, "waiting");
    EXPECT_EQ(rows[1].agreedAt, std::nullopt);
    EXPECT_EQ(rows[1].secondsLeft, std::nullopt);
    EXPECT_EQ(b->status(1002, b.now).size(), 1u);
    EXPECT_TRUE(b->status(1003, b.now).empty());
}

// The day's allowance is summed over a user's sessions, survives the guard's restart, follows
// the local calendar, and a clock set back gives nothing back.
TEST(Guard, DayAllowanceAcrossSessionsRestartsAndClocks) {
    MemoryStore store;
    Bench b("Users=lab ann\nDailySeconds=1000\nDayUsedText=See you tomorrow\n", &store);
    EXPECT_EQ(b.agree("c1").secondsLeft, 1000);
    b.pass(400'000);
    b->sessionRemoved("c1", b.now);
    EXPECT_EQ(b.agree("c2").secondsLeft, 600);
    // Two at once share what is left; the first one's gate hears of it.
    b.pass(100'000);
    EXPECT_EQ(b.agree("c3").secondsLeft, 250);
    EXPECT_EQ(b.effects.changed.back(), (std::pair<std::string, std::int64_t>{":1.c2", 250}));
    b->sessionRemoved("c3", b.now);
    EXPECT_EQ(b.effects.changed.back().second, 500);

    // The guard dies and starts again 100 s later: the day so far, the time it was away and
    // c2's end stay, and c2's gate comes back.
    b.now.monoMs += 100'000;
    b.now.wallMs += 100'000;
    b.start();
    b->sessionNew(facts("c2"), b.now);
    EXPECT_EQ(b->status({}, b.now)[0].usedTodaySeconds, 600);
    EXPECT_EQ(b->status({}, b.now)[0].secondsLeft, 400);
    EXPECT_TRUE(std::holds_alternative<guard::Refusal>(b->agreed(b.gate("c2"), b.now)));
    (void)b->hello(b.gate("c2"), b.now);
    EXPECT_EQ(std::get<guard::AgreedAnswer>(b->agreed(b.gate("c2"), b.now)).secondsLeft, 400);

    // The clock set back a day: the time used stays used.
    b.pass(100'000);
    b.setWallClock(b.now.wallMs - 86'400'000);
    b->sessionRemoved("c2", b.now);
    EXPECT_EQ(b.agree("c4").secondsLeft, 300);
    b->sessionRemoved("c4", b.now);
    // Restarted with the clock still set back, it believes the latest time it saw.
    b.start();
    EXPECT_EQ(b.agree("c5").secondsLeft, 300);
    b.pass(300'000);
    EXPECT_EQ(b.agree("c6").secondsLeft, 0);
    EXPECT_EQ(std::get<guard::AgreedAnswer>(b->agreed(b.gate("c6"), b.now)).message,
              "See you tomorrow");
    b->sessionRemoved("c5", b.now);
    b->sessionRemoved("c6", b.now);

    // The next local day starts afresh; a session over midnight counts there from midnight.
    b.setWallClock(kMorningMs + (15 * 3600 - 10 * 60) * 1000LL);  // 23:50 local
    EXPECT_EQ(b.agree("c7").secondsLeft, 0);
    EXPECT_EQ(b.agree("c8", "ann").secondsLeft, 1000);
    b.pass(15 * 60'000);
    b->sessionRemoved("c7", b.now);
    b->sessionRemoved("c8", b.now);
    EXPECT_EQ(b.agree("c9").secondsLeft, 1000);
    EXPECT_EQ(b.agree("c10", "ann").secondsLeft, 700);
    EXPECT_EQ(store.setAsides, 0);
}

TEST(Guard, UnreadableStateIsSetAsideAndNamed) {
    MemoryStore store;
    store.text = "porvane-guard-state 1\nused lab twelve 0\n";
    Bench b("Users=lab\nDailySeconds=100\n", &store);
    EXPECT_EQ(store.setAsides, 1);
    EXPECT_NE(b.effects.lines.at(0).find("guard.state.bad"), std::string::npos);
    EXPECT_EQ(b.agree("c1").secondsLeft, 100);
}

}  // namespace
}  // namespace guard_test
