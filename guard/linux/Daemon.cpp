#include "guard/linux/Daemon.h"

#include <signal.h>
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "guard/Guard.h"
#include "guard/PlanEnd.h"
#include "guard/linux/Logind.h"
#include "guard/linux/StateFolder.h"

namespace guard {
namespace {

constexpr const char* kName = "org.porvane.Guard";
constexpr const char* kPath = "/org/porvane/Guard";
constexpr const char* kInterface = "org.porvane.Guard1";
constexpr const char* kRefused = "org.porvane.Guard1.Error.Refused";
constexpr const char* kNoSuchSession = "org.porvane.Guard1.Error.NoSuchSession";
constexpr const char* kBus = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";

// Each method and the arguments it takes: a call with any others is refused before it is read.
struct Method {
    const char* member;
    const char* signature;
};
constexpr Method kMethods[] = {{"Hello", ""},  {"Agreed", ""},   {"Ending", ""},
                               {"Status", ""}, {"Extend", "sx"}, {"End", "s"}};

std::int64_t clockMs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return std::int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1'000'000;
}

Moment now() {
    return {clockMs(CLOCK_MONOTONIC), clockMs(CLOCK_REALTIME)};
}

std::int32_t localOffset(std::int64_t utcSeconds) {
    const time_t t = static_cast<time_t>(utcSeconds);
    tm local{};
    localtime_r(&t, &local);
    return static_cast<std::int32_t>(local.tm_gmtoff);
}

void logLine(const std::string& line) {
    std::fprintf(stderr, "porvane-guard: %s\n", line.c_str());
}

// A session id as logind makes them: short, letters and digits. Anything else names no session.
bool plausibleId(const char* id) {
    const std::size_t n = std::strlen(id);
    return n > 0 && n <= 64 &&
           std::strspn(id,
                       "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                       "0123456789_-.") == n;
}

class Daemon : public Effects {
  public:
    explicit Daemon(const DaemonOptions& options)
        : options_(options), store_(options.stateFolder) {}
    ~Daemon() override {
        for (auto& [name, slot] : gates_) {
            sd_bus_slot_unref(slot);
        }
        sd_event_source_unref(timer_);
        sd_bus_flush_close_unref(bus_);
        sd_event_unref(event_);
    }

    int run();

    void terminate(const std::string& session) override {
        logind::terminateSession(bus_, session, logLine);
    }
    void endChanged(const std::string& gate, std::int64_t secondsLeft) override {
        sendTo(gate, "EndChanged", &secondsLeft);
    }
    void endNow(const std::string& gate) override { sendTo(gate, "EndNow", nullptr); }
    void log(const std::string& line) override { logLine(line); }

  private:
    static Daemon& of(void* userdata) { return *static_cast<Daemon*>(userdata); }
    static const sd_bus_vtable* vtable();

    static int onFilter(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onHello(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onAgreed(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onEnding(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onStatus(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onExtend(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onEnd(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onSessionNew(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onSessionRemoved(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onNameOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int onTimer(sd_event_source*, uint64_t, void* userdata);

    // What the bus says of the sender: its process or its user.
    std::optional<std::uint32_t> askBus(const char* method, const char* sender);
    Caller caller(sd_bus_message* m);
    bool fromRoot(sd_bus_message* m);
    bool fromLogind(sd_bus_message* m);
    void watchGate(const std::string& name);
    void sendTo(const std::string& gate, const char* member, const std::int64_t* secondsLeft);
    void sessionNew(const std::string& id, const std::string& path);
    // After every event: the timer for the next deadline, or none.
    void reschedule();
    template <class T>
    int reply(sd_bus_message* m, const Result<T>& result);

    DaemonOptions options_;
    StateFolder store_;
    sd_event* event_ = nullptr;
    sd_bus* bus_ = nullptr;
    sd_event_source* timer_ = nullptr;
    std::optional<Guard> guard_;
    std::map<std::string, sd_bus_slot*> gates_;
};

const sd_bus_vtable* Daemon::vtable() {
    // Everyone may call (UNPRIVILEGED): each method decides who may do what from the bus's own
    // word about the caller.
    static const sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Hello", "", "bs", onHello, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Agreed", "", "xs", onAgreed, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Ending", "", "", onEnding, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Status", "", "s", onStatus, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Extend", "sx", "", onExtend, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("End", "s", "", onEnd, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_SIGNAL("EndChanged", "x", 0),
        SD_BUS_SIGNAL("EndNow", "", 0),
        SD_BUS_VTABLE_END,
    };
    return table;
}

int Daemon::run() {
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    int r = sd_event_default(&event_);
    if (r >= 0) {
        // No handler: the signal ends the loop.
        sd_event_add_signal(event_, nullptr, SIGTERM, nullptr, nullptr);
        sd_event_add_signal(event_, nullptr, SIGINT, nullptr, nullptr);
        r = sd_bus_open_system(&bus_);  // DBUS_SYSTEM_BUS_ADDRESS where it is set
    }
    if (r < 0) {
        logLine(std::string("the system bus cannot be reached: ") + std::strerror(-r));
        return 1;
    }
    sd_bus_set_exit_on_disconnect(bus_, 1);
    sd_bus_attach_event(bus_, event_, SD_EVENT_PRIORITY_NORMAL);
    if ((r = sd_bus_add_filter(bus_, nullptr, onFilter, this)) < 0 ||
        (r = sd_bus_add_object_vtable(bus_, nullptr, kPath, kInterface, vtable(), this)) < 0 ||
        (r = sd_bus_match_signal(bus_, nullptr, "org.freedesktop.login1", "/org/freedesktop/login1",
                                 "org.freedesktop.login1.Manager", "SessionNew", onSessionNew,
                                 this)) < 0 ||
        (r = sd_bus_match_signal(bus_, nullptr, "org.freedesktop.login1", "/org/freedesktop/login1",
                                 "org.freedesktop.login1.Manager", "SessionRemoved",
                                 onSessionRemoved, this)) < 0 ||
        (r = sd_event_add_time(event_, &timer_, CLOCK_MONOTONIC, 0, 10'000, onTimer, this)) < 0) {
        logLine(std::string("cannot set up on the bus: ") + std::strerror(-r));
        return 1;
    }
    sd_event_source_set_enabled(timer_, SD_EVENT_OFF);

    // The end at Agree: the session's plan read afresh from the settings, as the gate reads it.
    GuardSetup setup{options_.settingsFile, localOffset,
                     [file = options_.settingsFile](std::int64_t agreedWallMs) {
                         return planEndMs(file, agreedWallMs, localOffset);
                     }};
    guard_.emplace(std::move(setup), store_, *this, now());
    // Signals first, then the list: a session that comes meanwhile is not missed.
    for (const auto& [id, path] : logind::listSessions(bus_)) {
        sessionNew(id, path);
    }
    if ((r = sd_bus_request_name(bus_, kName, 0)) < 0) {
        logLine(std::string("cannot own ") + kName + ": " + std::strerror(-r));
        return 1;
    }
    logLine("guarding, settings " + options_.settingsFile + ", state in " + options_.stateFolder);
    reschedule();
    r = sd_event_loop(event_);
    guard_->keepState(now());
    logLine(r < 0 ? std::string("stopped: ") + std::strerror(-r) : std::string("stopped"));
    return r < 0 ? 1 : 0;
}

int Daemon::onFilter(sd_bus_message* m, void*, sd_bus_error*) {
    if (!sd_bus_message_is_method_call(m, nullptr, nullptr) ||
        std::strcmp(sd_bus_message_get_path(m) ? sd_bus_message_get_path(m) : "", kPath) != 0) {
        return 0;
    }
    const char* interface = sd_bus_message_get_interface(m);
    if (interface && std::strcmp(interface, kInterface) != 0) {
        return 0;
    }
    const char* member = sd_bus_message_get_member(m);
    const char* signature = sd_bus_message_get_signature(m, 1);
    for (const Method& method : kMethods) {
        if (member && std::strcmp(member, method.member) == 0 &&
            std::strcmp(signature ? signature : "", method.signature) != 0) {
            sd_bus_reply_method_errorf(m, kRefused, "%s takes (%s)", method.member,
                                       method.signature);
            return 1;
        }
    }
    return 0;
}

std::optional<std::uint32_t> Daemon::askBus(const char* method, const char* sender) {
    sd_bus_error error{};  // SD_BUS_ERROR_NULL, without its compound literal (C only)
    sd_bus_message* answer = nullptr;
    std::uint32_t value = 0;
    const bool ok =
        sender &&
        sd_bus_call_method(bus_, kBus, kBusPath, kBus, method, &error, &answer, "s", sender) >= 0 &&
        sd_bus_message_read(answer, "u", &value) > 0;
    sd_bus_message_unref(answer);
    sd_bus_error_free(&error);
    return ok ? std::optional(value) : std::nullopt;
}

Caller Daemon::caller(sd_bus_message* m) {
    const char* sender = sd_bus_message_get_sender(m);
    Caller c{{}, sender ? sender : ""};
    if (auto pid = askBus("GetConnectionUnixProcessID", sender)) {
        c.session = logind::sessionOfProcess(bus_, static_cast<pid_t>(*pid));
    }
    return c;
}

bool Daemon::fromRoot(sd_bus_message* m) {
    return askBus("GetConnectionUnixUser", sd_bus_message_get_sender(m)) == 0u;
}

template <class T>
int Daemon::reply(sd_bus_message* m, const Result<T>& result) {
    reschedule();
    if (const Refusal* refusal = std::get_if<Refusal>(&result)) {
        return sd_bus_reply_method_errorf(m, refusal->noSuchSession ? kNoSuchSession : kRefused,
                                          "%s", refusal->why.c_str());
    }
    const T& answer = std::get<T>(result);
    if constexpr (std::is_same_v<T, HelloAnswer>) {
        return sd_bus_reply_method_return(m, "bs", static_cast<int>(answer.guarded),
                                          answer.session.c_str());
    } else if constexpr (std::is_same_v<T, AgreedAnswer>) {
        return sd_bus_reply_method_return(m, "xs", answer.secondsLeft, answer.message.c_str());
    } else {
        return sd_bus_reply_method_return(m, "");
    }
}

int Daemon::onHello(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Daemon& d = of(userdata);
    const Caller c = d.caller(m);
    auto result = d.guard_->hello(c, now());
    if (auto* answer = std::get_if<HelloAnswer>(&result); answer && answer->guarded) {
        d.watchGate(c.name);
    }
    return d.reply(m, result);
}

int Daemon::onAgreed(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Daemon& d = of(userdata);
    return d.reply(m, d.guard_->agreed(d.caller(m), now()));
}

int Daemon::onEnding(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Daemon& d = of(userdata);
    return d.reply(m, d.guard_->ending(d.caller(m), now()));
}

int Daemon::onStatus(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Daemon& d = of(userdata);
    const auto uid = d.askBus("GetConnectionUnixUser", sd_bus_message_get_sender(m));
    if (!uid) {
        return sd_bus_reply_method_errorf(m, kRefused, "the caller is unknown to the bus");
    }
    const std::string json = statusJson(d.guard_->status(*uid == 0 ? std::nullopt : uid, now()));
    d.reschedule();
    return sd_bus_reply_method_return(m, "s", json.c_str());
}

int Daemon::onExtend(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Daemon& d = of(userdata);
    const char* id = nullptr;
    std::int64_t seconds = 0;
    if (sd_bus_message_read(m, "sx", &id, &seconds) < 0) {
        return sd_bus_reply_method_errorf(m, kRefused, "Extend takes (sx)");
    }
    if (!d.fromRoot(m)) {
        return sd_bus_reply_method_errorf(m, kRefused, "only root extends a session");
    }
    if (!plausibleId(id)) {
        return sd_bus_reply_method_errorf(m, kNoSuchSession, "no such session");
    }
    return d.reply(m, d.guard_->extend(id, seconds, now()));
}

int Daemon::onEnd(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Daemon& d = of(userdata);
    const char* id = nullptr;
    if (sd_bus_message_read(m, "s", &id) < 0) {
        return sd_bus_reply_method_errorf(m, kRefused, "End takes (s)");
    }
    if (!d.fromRoot(m)) {
        return sd_bus_reply_method_errorf(m, kRefused, "only root ends a session");
    }
    if (!plausibleId(id)) {
        return sd_bus_reply_method_errorf(m, kNoSuchSession, "no such session");
    }
    return d.reply(m, d.guard_->end(id, now()));
}

void Daemon::sessionNew(const std::string& id, const std::string& path) {
    if (auto facts = logind::sessionFacts(bus_, id, path)) {
        guard_->sessionNew(*facts, now());
    }
}

bool Daemon::fromLogind(sd_bus_message* m) {
    // Anyone may send a signal to the guard alone, whatever its path and interface say: only
    // what logind's own connection sends is logind's word.
    sd_bus_error error{};  // SD_BUS_ERROR_NULL, without its compound literal (C only)
    sd_bus_message* answer = nullptr;
    const char* owner = nullptr;
    const char* sender = sd_bus_message_get_sender(m);
    const bool same = sender &&
                      sd_bus_call_method(bus_, kBus, kBusPath, kBus, "GetNameOwner", &error,
                                         &answer, "s", "org.freedesktop.login1") >= 0 &&
                      sd_bus_message_read(answer, "s", &owner) > 0 &&
                      std::strcmp(owner, sender) == 0;
    sd_bus_message_unref(answer);
    sd_bus_error_free(&error);
    if (!same) {
        logLine(std::string("ignored a logind signal from ") + (sender ? sender : "nobody"));
    }
    return same;
}

int Daemon::onSessionNew(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Daemon& d = of(userdata);
    const char *id = nullptr, *path = nullptr;
    if (d.fromLogind(m) && sd_bus_message_read(m, "so", &id, &path) > 0 && plausibleId(id)) {
        d.sessionNew(id, path);
        d.reschedule();
    }
    return 0;
}

int Daemon::onSessionRemoved(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Daemon& d = of(userdata);
    const char *id = nullptr, *path = nullptr;
    if (d.fromLogind(m) && sd_bus_message_read(m, "so", &id, &path) > 0) {
        d.guard_->sessionRemoved(id, now());
        d.reschedule();
    }
    return 0;
}

void Daemon::watchGate(const std::string& name) {
    if (gates_.contains(name)) {
        return;
    }
    // The bus says when the gate's connection goes, however it went (kill -9 included). A
    // unique name is never taken again, so a gate gone before the watch began is told by asking.
    const std::string rule =
        "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/"
        "DBus',interface='org.freedesktop.DBus',member='NameOwnerChanged',"
        "arg0='" +
        name + "'";
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_match(bus_, &slot, rule.c_str(), onNameOwnerChanged, this) < 0) {
        logLine("cannot watch the gate " + name);
        return;
    }
    gates_[name] = slot;
    sd_bus_error error{};  // SD_BUS_ERROR_NULL, without its compound literal (C only)
    sd_bus_message* answer = nullptr;
    int there = 1;
    if (sd_bus_call_method(bus_, kBus, kBusPath, kBus, "NameHasOwner", &error, &answer, "s",
                           name.c_str()) >= 0) {
        sd_bus_message_read(answer, "b", &there);
    }
    sd_bus_message_unref(answer);
    sd_bus_error_free(&error);
    if (!there) {
        gates_.erase(name);
        sd_bus_slot_unref(slot);
        guard_->nameGone(name, now());
    }
}

int Daemon::onNameOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Daemon& d = of(userdata);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    const char* sender = sd_bus_message_get_sender(m);
    // Only the bus itself says who left; the bus sets the sender, nobody can claim its name.
    if (!sender || std::strcmp(sender, kBus) != 0 ||
        sd_bus_message_read(m, "sss", &name, &before, &after) <= 0 || *after != '\0') {
        return 0;
    }
    const std::string gone = name;
    if (auto it = d.gates_.find(gone); it != d.gates_.end()) {
        sd_bus_slot_unref(it->second);
        d.gates_.erase(it);
    }
    d.guard_->nameGone(gone, now());
    d.reschedule();
    return 0;
}

void Daemon::sendTo(const std::string& gate, const char* member, const std::int64_t* secondsLeft) {
    sd_bus_message* s = nullptr;
    if (sd_bus_message_new_signal(bus_, &s, kPath, kInterface, member) >= 0 &&
        sd_bus_message_set_destination(s, gate.c_str()) >= 0 &&
        (!secondsLeft || sd_bus_message_append(s, "x", *secondsLeft) >= 0)) {
        sd_bus_send(bus_, s, nullptr);
    }
    sd_bus_message_unref(s);
}

int Daemon::onTimer(sd_event_source*, uint64_t, void* userdata) {
    Daemon& d = of(userdata);
    d.guard_->due(now());
    d.reschedule();
    return 0;
}

void Daemon::reschedule() {
    if (std::optional<std::int64_t> next = guard_->nextDueMs()) {
        sd_event_source_set_time(timer_,
                                 static_cast<uint64_t>(std::max<std::int64_t>(*next, 0)) * 1000);
        sd_event_source_set_enabled(timer_, SD_EVENT_ONESHOT);
    } else {
        sd_event_source_set_enabled(timer_, SD_EVENT_OFF);
    }
}

}  // namespace

int runDaemon(const DaemonOptions& options) {
    Daemon daemon(options);
    return daemon.run();
}

}  // namespace guard
