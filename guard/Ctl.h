#pragma once
// porvanectl / PorvaneCtl.exe: the administrator's command line, the same on every system; the
// program of each system hands it the way to its guard.

#include <cstdint>
#include <string>
#include <vector>

#include "policy/ClosingTime.h"

namespace guard {

// The guard's answer to one request.
struct CtlAnswer {
    enum Kind { Done, Refused, NoSuchSession, NoGuard };
    Kind kind = Done;
    std::string text;  // Status: the JSON; otherwise what the guard or the system said
};

class GuardLink {
  public:
    virtual ~GuardLink() = default;
    virtual CtlAnswer status() = 0;
    virtual CtlAnswer extend(const std::string& session, std::int64_t seconds) = 0;
    virtual CtlAnswer end(const std::string& session) = 0;
};

struct CtlResult {
    int status = 0;  // 0 done; 1 refused or no such session; 2 bad usage or no guard
    std::string out, err;
};

CtlResult runCtl(const std::string& program, const std::vector<std::string>& args, GuardLink& guard,
                 const policy::TimeZone& zone);

}  // namespace guard
