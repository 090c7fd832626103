#include "runtime/system/posix/Descendants.h"

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace runtime::posix {
namespace {

// Our children, from every process's parent in /proc (works on any kernel, threads included:
// the parent named there is the process, whichever of its threads forked).
std::vector<pid_t> children() {
    std::vector<pid_t> found;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return found;
    }
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') {
            continue;
        }
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        std::getline(stat, line);
        // "pid (name) state ppid ...": the name may hold anything, so read after the last ')'.
        std::size_t close = line.rfind(')');
        if (close == std::string::npos || close + 4 >= line.size()) {
            continue;
        }
        if (std::atol(line.c_str() + close + 4) == self) {
            found.push_back(static_cast<pid_t>(pid));
        }
    }
    ::closedir(proc);
    return found;
}

}  // namespace

void endDescendants() {
    std::set<pid_t> refused;
    for (;;) {
        std::vector<pid_t> killed;
        for (pid_t child : children()) {
            if (refused.contains(child)) {
                continue;
            }
            // Our child and not yet reaped (only we reap our children), so the id is still
            // its own.
            if (::kill(child, SIGKILL) == 0) {
                killed.push_back(child);
            } else if (errno == EPERM) {
                refused.insert(child);
            }
        }
        if (killed.empty()) {
            return;
        }
        // Its children are ours by the time it can be reaped: the next round finds them.
        for (pid_t child : killed) {
            while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }
}

}  // namespace runtime::posix
