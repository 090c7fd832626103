#pragma once
// Waiting with a deadline, and whether a process runs, for the tests that start processes (the
// POSIX layer's and the Qt backend's).

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace testing_support {

// Checks `done` every few milliseconds, running `between` in the pauses, until it holds or `ms`
// pass; returns whether it held.
inline bool pollUntil(const std::function<bool()>& done, int ms,
                      const std::function<void()>& between = {}) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (between) {
            between();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// 'R', 'S', 'Z'... from /proc, or 0 when there is no such process.
inline char processState(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return 0;
    }
    auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() ? line[close + 2] : 0;
}

// Alive and not a zombie.
inline bool running(int pid) {
    char state = processState(pid);
    return state != 0 && state != 'Z';
}

}  // namespace testing_support
