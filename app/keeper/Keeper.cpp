#include "app/keeper/Keeper.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "runtime/Error.h"
#include "runtime/system/posix/Process.h"

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

// Collects every child that has exited; true while any child is left.
bool reapExited() {
    for (;;) {
        pid_t pid = ::waitpid(-1, nullptr, WNOHANG);
        if (pid > 0) {
            continue;
        }
        if (pid < 0 && errno == EINTR) {
            continue;
        }
        return !(pid < 0 && errno == ECHILD);
    }
}

bool sendAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
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

int runKeeper(const std::vector<std::string>& words) {
    struct stat socketStat {};
    if (::fstat(kKeeperSocket, &socketStat) != 0 || !S_ISSOCK(socketStat.st_mode) ||
        words.empty()) {
        return 2;
    }
    // The gate ends in order on these (a closed terminal, the session's end) and then tells us
    // what to do; they must not take us down before it has. The application gets the default
    // actions back when it starts.
    for (int s : {SIGHUP, SIGINT, SIGTERM, SIGPIPE}) {
        ::signal(s, SIG_IGN);
    }
    // The socket is the gate's line to us alone: the application must not inherit it, or a
    // process of the application would keep the gate's end from ever reading as gone.
    ::fcntl(kKeeperSocket, F_SETFD, FD_CLOEXEC);
    ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
    sigset_t childSignal;
    sigemptyset(&childSignal);
    sigaddset(&childSignal, SIGCHLD);
    ::sigprocmask(SIG_BLOCK, &childSignal, nullptr);
    int exits = ::signalfd(-1, &childSignal, SFD_CLOEXEC);

    StartReport report;
    try {
        report.pid = ChildProcess::start(words)->pid();  // the object goes, the child runs on
    } catch (const Error& error) {
        report.error = error.number;
    }
    if (!sendAll(kKeeperSocket, &report, sizeof report) || report.error != 0) {
        return 0;
    }

    bool armed = false;
    for (;;) {
        pollfd watched[2] = {{kKeeperSocket, POLLIN, 0}, {exits, POLLIN, 0}};
        if (::poll(watched, exits >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;  // cannot watch any more: treat it as the gate gone
        }
        if (watched[1].revents != 0) {
            signalfd_siginfo info{};
            while (::read(exits, &info, sizeof info) < 0 && errno == EINTR) {
            }
            if (!reapExited()) {
                return 0;  // nothing of the application is left
            }
        }
        if (watched[0].revents == 0) {
            continue;
        }
        char command = 0;
        ssize_t n = ::recv(kKeeperSocket, &command, 1, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;  // the gate has gone, in whatever way
        }
        if (command == kEndNow) {
            endDescendants();
            return 0;
        }
        if (command == kArm || command == kDisarm) {
            armed = command == kArm;
        }
    }
    if (armed) {
        endDescendants();
    }
    return 0;
}

}  // namespace runtime::posix
