#pragma once
// What the Windows service asks of the guard's rules, and what the rules ask of Windows. The
// service only translates: sessions and the pipe in, log-offs and lines to the gate out. Every
// call comes with the guard's lock held, one at a time.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "guard/PipeMessage.h"

namespace guard::win32 {

// What the rules do to the world.
class Outside {
  public:
    virtual ~Outside() = default;
    // The session ends now, for this reason (one log line names both).
    virtual void endSession(const std::string& session, std::string_view reason) = 0;
    // A line for the session's gate, on its open connection (ENDCHANGED, ENDNOW).
    virtual void tellGate(const std::string& session, const std::string& line) = 0;
    virtual void log(std::string_view line) = 0;
};

struct SessionFacts {
    std::string id;
    std::string user;
    std::vector<std::string> groups;
};

// Who asks, as the pipe told us: the caller's own session and whether its token holds the
// Administrators group.
struct Caller {
    std::string session;
    bool administrator = false;
};

class Rules {
  public:
    virtual ~Rules() = default;
    virtual void sessionNew(const SessionFacts& session, std::int64_t nowMs) = 0;
    virtual void sessionRemoved(const std::string& session) = 0;
    virtual HelloAnswer hello(const std::string& session, std::int64_t nowMs) = 0;
    virtual AgreedAnswer agreed(const std::string& session, std::int64_t nowMs) = 0;
    virtual void ending(const std::string& session) = 0;
    // The connection of the session's gate is gone: the gate has ended, however.
    virtual void gateGone(const std::string& session, std::int64_t nowMs) = 0;
    virtual std::string status(const Caller& caller, bool json, std::int64_t nowMs) = 0;
    virtual std::optional<ReplyError> extend(const std::string& session, std::int64_t seconds,
                                             std::int64_t nowMs) = 0;
    virtual std::optional<ReplyError> end(const std::string& session, std::int64_t nowMs) = 0;
    // Ends what is due; returns the milliseconds until it wants to look again.
    virtual std::int64_t step(std::int64_t nowMs) = 0;
};

}  // namespace guard::win32
