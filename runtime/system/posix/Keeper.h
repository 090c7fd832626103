#pragma once
// The keeper: a small process between the gate and the application it starts. The gate can be
// killed outright (kill -9, a crash) and then runs no end step of its own, so the one thing
// that can still end the application is another process that outlives it. The keeper starts
// the application, holds every process the application brings about in its own tree (as their
// child subreaper, so that orphans, double forks and setsid included, are re-parented to it
// instead of to init), and watches the gate through a socket whose other end only the gate
// holds: end of file there means the gate is gone.
//
// The gate talks to it over that socket, its descriptor 3:
//   keeper -> gate, once: a StartReport (the application's pid, or the start error);
//   gate -> keeper: one byte per command, below.
// The keeper ends when it was told to end the application, when the gate has gone, or when no
// process of the application is left.

#include <cstdint>

namespace runtime::posix {

// The keeper's name; it is installed beside the gate.
inline constexpr char kKeeperName[] = "porvane-keeper";
// The socket's descriptor in the keeper.
inline constexpr int kKeeperSocket = 3;

// What the keeper reports once it has tried to start the application.
struct StartReport {
    std::int32_t error = 0;  // the runtime error number (53, 70, 5), or 0 when it started
    std::int32_t pid = 0;    // the application's own process id when it started
};

enum KeeperCommand : char {
    kArm = 'A',     // end the application if the gate goes without a word
    kDisarm = 'D',  // leave it running if the gate goes
    kEndNow = 'K',  // end the application now
};

}  // namespace runtime::posix
