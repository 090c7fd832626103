#include "guard/Guard.h"

#include <algorithm>

#include "policy/TimeText.h"

namespace guard {
namespace {

// A user's day is charged and the state kept at least this often while anyone has agreed, so
// that a guard that dies loses little of it.
constexpr std::int64_t kChargeEveryMs = 5 * 60 * 1000;

// A session logind was asked to end and still has is asked for again this often.
constexpr std::int64_t kAskAgainMs = 30'000;

// The most an administrator moves an end at once: a year.
constexpr std::int64_t kMaxExtensionSeconds = 366LL * 86400;

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::optional<std::int64_t> earlier(std::optional<std::int64_t> a, std::optional<std::int64_t> b) {
    if (!a) {
        return b;
    }
    if (!b) {
        return a;
    }
    return std::min(*a, *b);
}

}  // namespace

std::string_view stateName(State state) {
    switch (state) {
        case State::Waiting:
            return "waiting";
        case State::Policy:
            return "policy";
        case State::Agreed:
            return "agreed";
        case State::Ending:
            return "ending";
    }
    return {};
}

std::string_view reasonText(EndReason reason) {
    switch (reason) {
        case EndReason::NoGate:
            return "no gate made itself known in time";
        case EndReason::NoAgree:
            return "nobody agreed in time";
        case EndReason::GateEnded:
            return "the gate ended";
        case EndReason::TimeUp:
            return "time is up";
        case EndReason::DayUsed:
            return "the day's allowance is used up";
        case EndReason::Administrator:
            return "the administrator ended it";
    }
    return {};
}

bool isGuarded(const SessionFacts& facts, const GuardSettings& settings) {
    if (facts.uid == 0 || !facts.graphical) {
        return false;
    }
    return contains(settings.users, facts.user) ||
           std::any_of(facts.groups.begin(), facts.groups.end(),
                       [&](const std::string& g) { return contains(settings.groups, g); });
}

Guard::Guard(GuardSetup setup, StateStore& store, Effects& effects, Moment now)
    : setup_(std::move(setup)), store_(store), effects_(effects) {
    if (std::optional<std::string> text = store_.load()) {
        if (std::optional<GuardState> state = parseState(*text)) {
            state_ = std::move(*state);
        } else {
            effects_.log("the state file cannot be read; set aside as " + store_.setAside() +
                         ", starting afresh");
        }
    }
    restorable_ = std::move(state_.sessions);
    state_.sessions.clear();
    believedTime(state_, now.wallMs);
}

Guard::Tracked* Guard::find(const std::string& id) {
    auto it = sessions_.find(id);
    return it == sessions_.end() ? nullptr : &it->second;
}

void Guard::say(const Tracked& s, const std::string& what) {
    effects_.log("session " + s.facts.id + " (" + s.facts.user + "): " + what);
}

void Guard::sessionNew(const SessionFacts& facts, Moment now) {
    if (sessions_.contains(facts.id)) {
        return;
    }
    Tracked& s = sessions_[facts.id];
    s.facts = facts;
    s.settings = readGuardSettings(setup_.iniFile);
    s.guarded = isGuarded(facts, s.settings);
    if (!s.guarded) {
        return;
    }
    const std::int64_t wall = believedTime(state_, now.wallMs);
    auto stored = std::find_if(restorable_.begin(), restorable_.end(), [&](const auto& r) {
        return r.id == facts.id && r.uid == facts.uid && r.startedMs == facts.startedMs;
    });
    if (stored == restorable_.end()) {
        s.gateDueMs = now.monoMs + std::int64_t{s.settings.gateSeconds} * 1000;
        say(s, "guarded, waiting for its gate");
        return;
    }
    // A session agreed before the guard started again: its time so far counts, its end stays,
    // and its gate must make itself known again.
    s.state = State::Agreed;
    s.agreedWall = stored->agreedMs;
    s.agreedMono = now.monoMs - std::max<std::int64_t>(0, wall - stored->agreedMs);
    s.chargedMono = now.monoMs;
    chargeUse(state_, facts.user, wall - stored->chargedMs, wall, setup_.zone);
    if (stored->endMs) {
        s.planEndMs = now.monoMs + (*stored->endMs - wall);
    }
    s.gateDueMs = now.monoMs + std::int64_t{s.settings.gateSeconds} * 1000;
    restorable_.erase(stored);
    shareDay(facts.user, now, {});
    placeTimeEnd(s);
    say(s, "agreed before the guard started, waiting for its gate again");
    keep(now);
}

void Guard::sessionRemoved(const std::string& id, Moment now) {
    Tracked* s = find(id);
    if (!s) {
        return;
    }
    if (s->guarded) {
        charge(*s, now);
        say(*s, "gone");
    }
    const std::string user = s->facts.user;
    const bool agreed = s->state == State::Agreed && !s->terminated;
    sessions_.erase(id);
    if (agreed) {
        shareDay(user, now, {});
    }
    keep(now);
}

void Guard::nameGone(const std::string& name, Moment now) {
    for (auto& [id, s] : sessions_) {
        if (s.guarded && !s.terminated && s.gate == name) {
            finish(s, EndReason::GateEnded, now);
        }
    }
}

Guard::Tracked* Guard::gateOf(const Caller& caller, Refusal& refusal) {
    Tracked* s = find(caller.session);
    if (!s || !s->guarded) {
        refusal = {false, "not a guarded session"};
        return nullptr;
    }
    if (s->gate != caller.name) {
        refusal = {false, "not this session's gate"};
        return nullptr;
    }
    return s;
}

Result<HelloAnswer> Guard::hello(const Caller& caller, Moment now) {
    Tracked* s = find(caller.session);
    if (!s || !s->guarded) {
        return HelloAnswer{false, caller.session};
    }
    if (s->terminated || s->state == State::Ending) {
        return Refusal{false, "the session is ending"};
    }
    if (!s->gate.empty() && s->gate != caller.name) {
        return Refusal{false, "another gate speaks for this session"};
    }
    if (s->gate.empty()) {
        s->gate = caller.name;
        s->gateDueMs.reset();
        if (s->state == State::Waiting) {
            s->state = State::Policy;
            if (s->settings.agreeSeconds > 0) {
                s->endDueMs = now.monoMs + std::int64_t{s->settings.agreeSeconds} * 1000;
                s->endReason = EndReason::NoAgree;
            }
        }
        say(*s, "its gate is here");
    }
    return HelloAnswer{true, caller.session};
}

Result<AgreedAnswer> Guard::agreed(const Caller& caller, Moment now) {
    Refusal refusal;
    Tracked* s = gateOf(caller, refusal);
    if (!s) {
        return refusal;
    }
    if (s->state == State::Waiting || s->state == State::Ending) {
        return Refusal{false, "the session is not showing the policy"};
    }
    if (s->state == State::Policy) {
        // The end is the guard's own, from its own reading of the settings now.
        s->settings = readGuardSettings(setup_.iniFile);
        const std::int64_t wall = believedTime(state_, now.wallMs);
        s->state = State::Agreed;
        s->agreedMono = s->chargedMono = now.monoMs;
        s->agreedWall = wall;
        if (std::optional<std::int64_t> plan = setup_.planEnd(wall)) {
            s->planEndMs = now.monoMs + std::max<std::int64_t>(0, *plan);
        }
        s->endDueMs.reset();
        shareDay(s->facts.user, now, s->facts.id);
        placeTimeEnd(*s);
        say(*s,
            "agreed, " + (timeEnd(*s) ? "ends in " + policy::formatTimeLeft(secondsLeft(*s, now))
                                      : std::string("no end")));
        keep(now);
    }
    AgreedAnswer answer;
    if (timeEnd(*s)) {
        answer.secondsLeft = secondsLeft(*s, now);
        if (answer.secondsLeft == 0 && s->endReason == EndReason::DayUsed) {
            answer.message = dayUsedMessage(s->settings);
        }
    }
    return answer;
}

Result<Done> Guard::ending(const Caller& caller, Moment now) {
    Refusal refusal;
    Tracked* s = gateOf(caller, refusal);
    if (!s) {
        return refusal;
    }
    if (s->state != State::Ending) {
        // The gate ends in order; the session ends when it is gone, or when it lingers.
        charge(*s, now);
        s->state = State::Ending;
        s->endDueMs =
            earlier(s->endDueMs, now.monoMs + std::int64_t{s->settings.graceSeconds} * 1000);
        s->endReason = EndReason::GateEnded;
        say(*s, "its gate is ending");
    }
    return Done{};
}

Result<Done> Guard::extend(const std::string& id, std::int64_t seconds, Moment now) {
    Tracked* s = find(id);
    if (!s || !s->guarded) {
        return Refusal{true, "no such session"};
    }
    if (seconds < -kMaxExtensionSeconds || seconds > kMaxExtensionSeconds) {
        return Refusal{false, "at most a year either way"};
    }
    if (s->terminated || s->state == State::Ending) {
        return Refusal{false, "the session is ending"};
    }
    const std::int64_t ms = seconds * 1000;
    if (s->state == State::Agreed) {
        if (!timeEnd(*s)) {
            return Refusal{false, "the session has no end to move"};
        }
        s->extensionMs += ms;
        placeTimeEnd(*s);
        if (!s->gate.empty()) {
            effects_.endChanged(s->gate, secondsLeft(*s, now));
        }
    } else {
        std::optional<std::int64_t>& due = s->gateDueMs ? s->gateDueMs : s->endDueMs;
        if (!due) {
            return Refusal{false, "the session has no end to move"};
        }
        *due += ms;
    }
    say(*s, "end moved by " + std::to_string(seconds) + " s");
    keep(now);
    return Done{};
}

Result<Done> Guard::end(const std::string& id, Moment now) {
    Tracked* s = find(id);
    if (!s || !s->guarded) {
        return Refusal{true, "no such session"};
    }
    if (s->terminated) {
        return Done{};
    }
    if (s->gate.empty() || s->state == State::Ending) {
        finish(*s, EndReason::Administrator, now);
        return Done{};
    }
    // The gate ends in order first (its closing notice, the application); then the session.
    charge(*s, now);
    s->state = State::Ending;
    s->endDueMs = now.monoMs + std::int64_t{s->settings.graceSeconds} * 1000;
    s->endReason = EndReason::Administrator;
    effects_.endNow(s->gate);
    say(*s, "the administrator ends it; the gate was told");
    keep(now);
    return Done{};
}

std::vector<StatusRow> Guard::status(std::optional<std::uint32_t> uid, Moment now) {
    chargeAll(now);
    const std::int64_t wall = believedTime(state_, now.wallMs);
    std::vector<StatusRow> rows;
    for (const auto& [id, s] : sessions_) {
        if (!s.guarded || (uid && *uid != s.facts.uid)) {
            continue;
        }
        StatusRow row{id, s.facts.user, s.facts.uid, std::string(stateName(s.state)), {}, {}, 0};
        if (s.state == State::Agreed || (s.state == State::Ending && s.agreedWall)) {
            row.agreedAt = s.agreedWall / 1000;
        }
        if (s.state == State::Agreed && timeEnd(s)) {
            row.secondsLeft = secondsLeft(s, now);
        }
        row.usedTodaySeconds = usedOnDay(state_, s.facts.user, wall, setup_.zone) / 1000;
        rows.push_back(std::move(row));
    }
    return rows;
}

void Guard::due(Moment now) {
    for (auto& [id, s] : sessions_) {
        if (s.terminated && s.askAgainMs && *s.askAgainMs <= now.monoMs) {
            say(s, "still there; logind is asked again to end it");
            effects_.terminate(id);
            s.askAgainMs = now.monoMs + kAskAgainMs;
        }
        if (!s.guarded || s.terminated) {
            continue;
        }
        if (s.gateDueMs && *s.gateDueMs <= now.monoMs) {
            finish(s, EndReason::NoGate, now);
        } else if (s.endDueMs && *s.endDueMs <= now.monoMs) {
            finish(s, s.endReason, now);
        }
    }
    if (nextChargeMs_ && *nextChargeMs_ <= now.monoMs) {
        chargeAll(now);
        keep(now);
    }
}

void Guard::keepState(Moment now) {
    chargeAll(now);
    keep(now);
}

std::optional<std::int64_t> Guard::nextDueMs() const {
    std::optional<std::int64_t> next = nextChargeMs_;
    for (const auto& [id, s] : sessions_) {
        if (s.guarded) {
            next = earlier(next, s.terminated ? s.askAgainMs : earlier(s.gateDueMs, s.endDueMs));
        }
    }
    return next;
}

void Guard::finish(Tracked& s, EndReason reason, Moment now) {
    charge(s, now);
    const bool wasAgreed = s.state == State::Agreed;
    s.terminated = true;
    s.state = State::Ending;
    s.gateDueMs.reset();
    s.endDueMs.reset();
    s.askAgainMs = now.monoMs + kAskAgainMs;
    say(s, "ended: " + std::string(reasonText(reason)));
    effects_.terminate(s.facts.id);
    if (wasAgreed) {
        shareDay(s.facts.user, now, {});
    }
    keep(now);
}

void Guard::charge(Tracked& s, Moment now) {
    if (s.state != State::Agreed || s.terminated) {
        return;
    }
    const std::int64_t wall = believedTime(state_, now.wallMs);
    chargeUse(state_, s.facts.user, now.monoMs - s.chargedMono, wall, setup_.zone);
    s.chargedMono = now.monoMs;
}

void Guard::chargeAll(Moment now) {
    for (auto& [id, s] : sessions_) {
        if (s.guarded) {
            charge(s, now);
        }
    }
}

std::optional<std::int64_t> Guard::timeEnd(const Tracked& s) const {
    std::optional<std::int64_t> end = earlier(s.planEndMs, s.dayEndMs);
    if (end) {
        *end += s.extensionMs;
    }
    return end;
}

void Guard::placeTimeEnd(Tracked& s) {
    std::optional<std::int64_t> end = timeEnd(s);
    if (!end) {
        s.endDueMs.reset();
        return;
    }
    s.endDueMs = *end + std::int64_t{s.settings.graceSeconds} * 1000;
    s.endReason = s.dayEndMs && (!s.planEndMs || *s.dayEndMs < *s.planEndMs) ? EndReason::DayUsed
                                                                             : EndReason::TimeUp;
}

void Guard::shareDay(const std::string& user, Moment now, const std::string& except) {
    std::vector<Tracked*> agreed;
    for (auto& [id, s] : sessions_) {
        if (s.guarded && !s.terminated && s.state == State::Agreed && s.facts.user == user) {
            agreed.push_back(&s);
        }
    }
    if (agreed.empty()) {
        return;
    }
    chargeAll(now);
    const std::int64_t wall = believedTime(state_, now.wallMs);
    const std::int64_t used = usedOnDay(state_, user, wall, setup_.zone);
    for (Tracked* s : agreed) {
        const std::int64_t daily = std::int64_t{s->settings.dailySeconds} * 1000;
        const std::optional<std::int64_t> before = timeEnd(*s);
        if (daily > 0) {
            // Sessions side by side use the day together.
            const std::int64_t left = std::max<std::int64_t>(0, daily - used);
            s->dayEndMs = now.monoMs + left / static_cast<std::int64_t>(agreed.size());
        } else {
            s->dayEndMs.reset();
        }
        placeTimeEnd(*s);
        if (s->facts.id != except && !s->gate.empty() && timeEnd(*s) && timeEnd(*s) != before) {
            effects_.endChanged(s->gate, secondsLeft(*s, now));
        }
    }
}

std::int64_t Guard::secondsLeft(const Tracked& s, Moment now) const {
    const std::optional<std::int64_t> end = timeEnd(s);
    return end ? std::max<std::int64_t>(0, policy::wholeSecondsLeft(*end - now.monoMs)) : -1;
}

void Guard::keep(Moment now) {
    const std::int64_t wall = believedTime(state_, now.wallMs);
    state_.sessions.clear();
    bool anyAgreed = false;
    for (const auto& [id, s] : sessions_) {
        if (!s.guarded || s.terminated || s.state != State::Agreed) {
            continue;
        }
        anyAgreed = true;
        StoredSession stored{id,           s.facts.uid,
                             s.facts.user, s.facts.startedMs,
                             s.agreedWall, wall - (now.monoMs - s.chargedMono),
                             std::nullopt};
        if (s.planEndMs) {
            stored.endMs = wall + (*s.planEndMs + s.extensionMs - now.monoMs);
        }
        state_.sessions.push_back(std::move(stored));
    }
    nextChargeMs_ = anyAgreed ? std::optional(now.monoMs + kChargeEveryMs) : std::nullopt;
    if (!store_.save(formatState(state_))) {
        effects_.log("the state cannot be written; the day's use lives on in memory");
    }
    state_.sessions.clear();
}

}  // namespace guard
