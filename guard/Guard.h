#pragma once
// The guard's rules, with time passed in: which sessions it guards, the five ends (no gate in
// time, nobody agreed in time, the gate ended, time up, the day's allowance used up) and the
// administrator's extend and end. The platform layer (guard/linux, guard/win32) turns what the
// system says into these calls, answers callers with their results, and carries out the
// effects; it keeps one timer for nextDueMs().

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "guard/GuardSettings.h"
#include "guard/GuardState.h"
#include "guard/Session.h"
#include "guard/Status.h"
#include "policy/ClosingTime.h"

namespace guard {

// A moment by both clocks: the monotonic one for every deadline, the wall clock for the day and
// what people read.
struct Moment {
    std::int64_t monoMs = 0;
    std::int64_t wallMs = 0;
};

// What the guard makes happen. The platform layer does it.
class Effects {
  public:
    virtual ~Effects() = default;
    virtual void terminate(const std::string& session) = 0;
    // To that gate only.
    virtual void endChanged(const std::string& gate, std::int64_t secondsLeft) = 0;
    virtual void endNow(const std::string& gate) = 0;
    // One line per decision, without the program's name.
    virtual void log(const std::string& line) = 0;
};

// Where the state lives: one text, replaced whole.
class StateStore {
  public:
    virtual ~StateStore() = default;
    // None when there is no state yet. Text that cannot be read at all is empty.
    virtual std::optional<std::string> load() = 0;
    // Writes the text so that a crash leaves the old or the new one.
    virtual bool save(const std::string& text) = 0;
    // Moves an unreadable state out of the way; the name it now has.
    virtual std::string setAside() = 0;
};

// Who is calling, as the kernel and the system say: never what the caller says.
struct Caller {
    std::string session;  // the caller's session; empty for none
    std::string name;     // its connection (bus name, pipe client)
};

struct Refusal {
    bool noSuchSession = false;
    std::string why;
};

template <class T>
using Result = std::variant<T, Refusal>;

struct HelloAnswer {
    bool guarded = false;
    std::string session;
};

struct AgreedAnswer {
    std::int64_t secondsLeft = -1;  // -1: no end
    std::string message;            // with 0: the day's allowance is used up
};

struct Done {};

struct GuardSetup {
    std::string iniFile;
    policy::TimeZone zone;
    // Milliseconds from Agree until the end the settings give the session, read now; none
    // without one.
    std::function<std::optional<std::int64_t>(std::int64_t agreedWallMs)> planEnd;
};

// Whether the guard guards a session: a desktop of a listed user or of a member of a listed
// group, never root's.
bool isGuarded(const SessionFacts& facts, const GuardSettings& settings);

class Guard {
  public:
    Guard(GuardSetup setup, StateStore& store, Effects& effects, Moment now);

    void sessionNew(const SessionFacts& facts, Moment now);
    void sessionRemoved(const std::string& id, Moment now);
    // A connection left: when it was a session's gate, that session ends.
    void nameGone(const std::string& name, Moment now);

    Result<HelloAnswer> hello(const Caller& caller, Moment now);
    Result<AgreedAnswer> agreed(const Caller& caller, Moment now);
    Result<Done> ending(const Caller& caller, Moment now);

    Result<Done> extend(const std::string& id, std::int64_t seconds, Moment now);
    Result<Done> end(const std::string& id, Moment now);
    // The guarded sessions; of one uid only when given.
    std::vector<StatusRow> status(std::optional<std::uint32_t> uid, Moment now);

    // Counts the time used so far and keeps the state: before the guard stops.
    void keepState(Moment now);

    // Ends what is due and keeps the state; nextDueMs() tells when to call again.
    void due(Moment now);
    // The monotonic time of the next deadline; none while nothing is timed.
    std::optional<std::int64_t> nextDueMs() const;

  private:
    struct Tracked {
        SessionFacts facts;
        bool guarded = false;
        GuardSettings settings;
        State state = State::Waiting;
        std::string gate;
        std::optional<std::int64_t> gateDueMs;  // no gate: NoGate
        std::optional<std::int64_t> endDueMs;   // endReason
        EndReason endReason = EndReason::NoAgree;
        std::int64_t agreedMono = 0;
        std::int64_t agreedWall = 0;
        std::optional<std::int64_t> planEndMs;  // the plan's end, monotonic
        std::optional<std::int64_t> dayEndMs;   // where the day's allowance runs out
        std::int64_t extensionMs = 0;
        std::int64_t chargedMono = 0;
        bool terminated = false;                 // logind was asked to end it
        std::optional<std::int64_t> askAgainMs;  // while logind still has it
    };

    Tracked* find(const std::string& id);
    Tracked* gateOf(const Caller& caller, Refusal& refusal);
    void say(const Tracked& s, const std::string& what);
    void finish(Tracked& s, EndReason reason, Moment now);
    void chargeAll(Moment now);
    void charge(Tracked& s, Moment now);
    // The end a time gives: the plan's or the allowance's, whichever comes first, moved by
    // extensions; none without one.
    std::optional<std::int64_t> timeEnd(const Tracked& s) const;
    void placeTimeEnd(Tracked& s);
    // Shares what is left of a user's day among the user's agreed sessions.
    void shareDay(const std::string& user, Moment now, const std::string& except);
    std::int64_t secondsLeft(const Tracked& s, Moment now) const;
    void keep(Moment now);

    GuardSetup setup_;
    StateStore& store_;
    Effects& effects_;
    GuardState state_;
    std::vector<StoredSession> restorable_;
    std::map<std::string, Tracked> sessions_;
    std::optional<std::int64_t> nextChargeMs_;
};

}  // namespace guard
