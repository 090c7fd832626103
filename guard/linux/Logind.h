#pragma once
// What the guard asks logind: the sessions and their facts, whose session a process is in, and
// the end of a session. Every answer may be missing or odd (a session gone between two calls):
// a question without a good answer has none.

#include <systemd/sd-bus.h>

#include <sys/types.h>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "guard/Session.h"

namespace guard::logind {

// The sessions logind knows now: their ids and object paths.
std::vector<std::pair<std::string, std::string>> listSessions(sd_bus* bus);

// A session's facts from its properties; none when it is gone or says no user.
std::optional<SessionFacts> sessionFacts(sd_bus* bus, const std::string& id,
                                         const std::string& path);

// The session the process is in; empty for none.
std::string sessionOfProcess(sd_bus* bus, pid_t pid);

using Log = std::function<void(const std::string&)>;

// Asks logind to end the session, without waiting; a failure is told to `log`.
void terminateSession(sd_bus* bus, const std::string& id, Log log);

}  // namespace guard::logind
