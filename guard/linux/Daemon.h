#pragma once
// porvane-guard: the guard on the system bus, following logind's sessions, in one sd-event loop
// with one timer for the next deadline.

#include <string>

namespace guard {

struct DaemonOptions {
    std::string settingsFile = "/etc/porvane/Porvane.ini";
    std::string stateFolder = "/var/lib/porvane";
};

// Runs until SIGTERM or SIGINT; the exit status.
int runDaemon(const DaemonOptions& options);

}  // namespace guard
