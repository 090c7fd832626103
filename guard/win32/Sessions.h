#pragma once
// The Windows sessions the guard looks at: who is logged on, and the end of a session.

#include <cstdint>
#include <string>
#include <vector>

namespace guard::win32 {

struct WindowsSession {
    std::uint32_t id = 0;
    std::string user;                 // the account name, without its domain
    std::uint32_t uid = 0;            // the account's relative id (the last part of its SID)
    std::vector<std::string> groups;  // the groups of the session's token, without domains
    std::int64_t logonMs = 0;         // when it began, wall clock; 0 when Windows does not say
};

// The sessions with a user logged on (WTSEnumerateSessionsW, and the console's session), session
// 0 (the services') left out. A session that goes between two calls is left out too.
std::vector<WindowsSession> loggedOnSessions();
// One session's user and groups; none when it has no user (any more).
bool describeSession(std::uint32_t id, WindowsSession& out);
// Logs the session off without waiting; on failure, the error number (Wine: 120).
std::uint32_t logOff(std::uint32_t id);

}  // namespace guard::win32
