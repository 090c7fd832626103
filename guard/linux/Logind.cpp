#include "guard/linux/Logind.h"

#include <grp.h>
#include <pwd.h>

#include <memory>

namespace guard::logind {
namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSession = "org.freedesktop.login1.Session";
constexpr const char* kSessionPaths = "/org/freedesktop/login1/session";

struct Reply {
    sd_bus_message* m = nullptr;
    sd_bus_error error{};  // SD_BUS_ERROR_NULL, without its compound literal (C only)
    ~Reply() {
        sd_bus_message_unref(m);
        sd_bus_error_free(&error);
    }
};

std::optional<std::string> stringProperty(sd_bus* bus, const std::string& path, const char* name) {
    Reply r;
    char* value = nullptr;
    if (sd_bus_get_property_string(bus, kLogind, path.c_str(), kSession, name, &r.error, &value) <
        0) {
        return std::nullopt;
    }
    std::string out = value;
    free(value);
    return out;
}

// The user's groups by name, from the user database.
std::vector<std::string> groupsOf(const std::string& user, gid_t primary) {
    std::vector<gid_t> gids(64);
    int count = static_cast<int>(gids.size());
    if (getgrouplist(user.c_str(), primary, gids.data(), &count) < 0) {
        if (count <= 0 || count > 65536) {
            return {};
        }
        gids.resize(static_cast<std::size_t>(count));
        if (getgrouplist(user.c_str(), primary, gids.data(), &count) < 0) {
            return {};
        }
    }
    std::vector<std::string> names;
    std::vector<char> buffer(1 << 16);
    for (int i = 0; i < count; ++i) {
        group g{};
        group* found = nullptr;
        if (getgrgid_r(gids[static_cast<std::size_t>(i)], &g, buffer.data(), buffer.size(),
                       &found) == 0 &&
            found) {
            names.emplace_back(found->gr_name);
        }
    }
    return names;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> listSessions(sd_bus* bus) {
    std::vector<std::pair<std::string, std::string>> sessions;
    Reply r;
    if (sd_bus_call_method(bus, kLogind, kManagerPath, kManager, "ListSessions", &r.error, &r.m,
                           "") < 0 ||
        sd_bus_message_enter_container(r.m, 'a', "(susso)") < 0) {
        return sessions;
    }
    const char *id, *user, *seat, *path;
    uint32_t uid;
    while (sd_bus_message_read(r.m, "(susso)", &id, &uid, &user, &seat, &path) > 0) {
        sessions.emplace_back(id, path);
    }
    return sessions;
}

std::optional<SessionFacts> sessionFacts(sd_bus* bus, const std::string& id,
                                         const std::string& path) {
    SessionFacts facts;
    facts.id = id;
    {
        Reply r;
        const char* userPath = nullptr;
        if (sd_bus_get_property(bus, kLogind, path.c_str(), kSession, "User", &r.error, &r.m,
                                "(uo)") < 0 ||
            sd_bus_message_read(r.m, "(uo)", &facts.uid, &userPath) < 0) {
            return std::nullopt;
        }
    }
    {
        Reply r;
        uint64_t usec = 0;
        if (sd_bus_get_property_trivial(bus, kLogind, path.c_str(), kSession, "Timestamp", &r.error,
                                        't', &usec) >= 0) {
            facts.startedMs = static_cast<std::int64_t>(usec / 1000);
        }
    }
    const std::optional<std::string> type = stringProperty(bus, path, "Type");
    const std::optional<std::string> klass = stringProperty(bus, path, "Class");
    facts.graphical = (type == "x11" || type == "wayland") && klass == "user";

    passwd pw{};
    passwd* found = nullptr;
    std::vector<char> buffer(1 << 16);
    const bool known =
        getpwuid_r(facts.uid, &pw, buffer.data(), buffer.size(), &found) == 0 && found;
    facts.user = stringProperty(bus, path, "Name").value_or(known ? found->pw_name : "");
    if (known && facts.user == found->pw_name) {
        facts.groups = groupsOf(facts.user, found->pw_gid);
    }
    return facts;
}

std::string sessionOfProcess(sd_bus* bus, pid_t pid) {
    Reply r;
    const char* path = nullptr;
    char* id = nullptr;
    if (pid <= 0 ||
        sd_bus_call_method(bus, kLogind, kManagerPath, kManager, "GetSessionByPID", &r.error, &r.m,
                           "u", static_cast<uint32_t>(pid)) < 0 ||
        sd_bus_message_read(r.m, "o", &path) < 0 ||
        sd_bus_path_decode(path, kSessionPaths, &id) <= 0) {
        return {};
    }
    std::string out = id;
    free(id);
    return out;
}

void terminateSession(sd_bus* bus, const std::string& id, Log log) {
    struct Pending {
        std::string id;
        Log log;
    };
    auto* pending = new Pending{id, std::move(log)};
    const auto done = [](sd_bus_message* m, void* userdata, sd_bus_error*) -> int {
        std::unique_ptr<Pending> p(static_cast<Pending*>(userdata));
        if (const sd_bus_error* e = sd_bus_message_get_error(m)) {
            p->log("session " + p->id + ": logind did not end it: " +
                   (e->message ? e->message
                    : e->name  ? e->name
                               : "no reason given"));
        }
        return 0;
    };
    if (sd_bus_call_method_async(bus, nullptr, kLogind, kManagerPath, kManager, "TerminateSession",
                                 done, pending, "s", id.c_str()) < 0) {
        pending->log("session " + id + ": logind cannot be asked to end it");
        delete pending;
    }
}

}  // namespace guard::logind
