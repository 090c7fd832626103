// porvane-guard: the guard of the Porvane gate, a root service on the system bus.
#include <cstdio>
#include <string>

#include "guard/linux/Daemon.h"

namespace {

void usage(std::FILE* to) {
    std::fputs(
        "Usage: porvane-guard [--settings FILE] [--state DIR]\n"
        "Guards the desktop sessions of the users and groups in [Guard] of the settings file:\n"
        "each must have its gate, an Agree, and ends when its time is up.\n"
        "  --settings FILE  the settings (default /etc/porvane/Porvane.ini)\n"
        "  --state DIR      where the day's allowance is kept (default /var/lib/porvane)\n",
        to);
}

}  // namespace

int main(int argc, char** argv) {
    guard::DaemonOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("porvane-guard %s\n", PORVANE_VERSION);
            return 0;
        }
        if ((arg == "--settings" || arg == "--state") && i + 1 < argc && argv[i + 1][0] != '\0') {
            (arg == "--settings" ? options.settingsFile : options.stateFolder) = argv[++i];
            continue;
        }
        std::fprintf(stderr, "porvane-guard: unknown option or missing value: %s\n", arg.c_str());
        usage(stderr);
        return 2;
    }
    return guard::runDaemon(options);
}
