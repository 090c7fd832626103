#pragma once
// A guard on a virtual clock, with its effects recorded and its state in memory.

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "guard/Guard.h"
#include "tests/support/TempDir.h"

namespace guard_test {

inline constexpr std::int32_t kZoneOffset = 3600;  // the computer's clock: UTC+1
// 2025-12-08 08:00 UTC, 09:00 local.
inline constexpr std::int64_t kMorningMs = 1765180800000;

struct Recorder : guard::Effects {
    std::vector<std::string> terminated;
    std::vector<std::pair<std::string, std::int64_t>> changed;
    std::vector<std::string> toldToEnd;
    std::vector<std::string> lines;
    void terminate(const std::string& session) override { terminated.push_back(session); }
    void endChanged(const std::string& gate, std::int64_t s) override {
        changed.emplace_back(gate, s);
    }
    void endNow(const std::string& gate) override { toldToEnd.push_back(gate); }
    void log(const std::string& line) override { lines.push_back(line); }
};

struct MemoryStore : guard::StateStore {
    std::optional<std::string> text;
    int setAsides = 0;
    std::optional<std::string> load() override { return text; }
    bool save(const std::string& t) override {
        text = t;
        return true;
    }
    std::string setAside() override {
        ++setAsides;
        text.reset();
        return "guard.state.bad";
    }
};

inline guard::SessionFacts facts(const std::string& id, const std::string& user = "lab",
                                 std::uint32_t uid = 1001) {
    return {id, user, uid, {"students"}, true, kMorningMs - 5000};
}

// One guard over a settings file of its own; `plan` is the end the session's plan gives.
class Bench {
  public:
    explicit Bench(const std::string& guardSection, MemoryStore* store = nullptr)
        : store_(store ? store : &ownStore_) {
        ini_ = dir_.write("Porvane.ini", "[Guard]\n" + guardSection);
        start();
    }
    void start() {
        guard::GuardSetup setup{ini_, [](std::int64_t) { return kZoneOffset; },
                                [this](std::int64_t) { return plan; }};
        guard_.emplace(setup, *store_, effects, now);
    }
    guard::Guard& operator*() { return *guard_; }
    guard::Guard* operator->() { return &*guard_; }

    // Lets time pass, handing the guard each deadline as it comes.
    void pass(std::int64_t ms) {
        const std::int64_t until = now.monoMs + ms;
        while (auto next = guard_->nextDueMs()) {
            if (*next > until) {
                break;
            }
            moveTo(std::max(*next, now.monoMs));
            guard_->due(now);
        }
        moveTo(until);
        guard_->due(now);
    }
    void setWallClock(std::int64_t wallMs) { now.wallMs = wallMs; }
    guard::Caller gate(const std::string& session) { return {session, ":1." + session}; }
    // The session appears, its gate says hello and the user agrees.
    guard::AgreedAnswer agree(const std::string& session, const std::string& user = "lab") {
        guard_->sessionNew(facts(session, user), now);
        (void)guard_->hello(gate(session), now);
        auto answer = guard_->agreed(gate(session), now);
        if (auto* refusal = std::get_if<guard::Refusal>(&answer)) {
            ADD_FAILURE() << session << " refused: " << refusal->why;
            return {};
        }
        return std::get<guard::AgreedAnswer>(answer);
    }

    std::optional<std::int64_t> plan;
    guard::Moment now{1'000'000, kMorningMs};
    Recorder effects;

  private:
    void moveTo(std::int64_t mono) {
        now.wallMs += mono - now.monoMs;
        now.monoMs = mono;
    }
    testing_support::TempDir dir_;
    std::string ini_;
    MemoryStore ownStore_;
    MemoryStore* store_;
    std::optional<guard::Guard> guard_;
};

}  // namespace guard_test
