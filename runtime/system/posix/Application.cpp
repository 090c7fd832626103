#include "runtime/system/posix/Application.h"

#include <errno.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include "runtime/Error.h"
#include "runtime/system/NativeFiles.h"
#include "runtime/system/posix/Keeper.h"

namespace runtime::posix {
namespace {

bool receive(int fd, StartReport& report) {
    ssize_t n;
    do {
        n = ::recv(fd, &report, sizeof report, MSG_WAITALL);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof report);
}

// The keeper, started with the application's words, and our end of its socket. No keeper when
// there is none or it cannot run; the socket is -1 only when it could not be made.
struct KeeperStart {
    std::unique_ptr<ChildProcess> keeper;
    int socket = -1;
};

KeeperStart startKeeper(const std::string& path, const std::vector<std::string>& words) {
    KeeperStart started;
    int pair[2];
    if (::access(path.c_str(), X_OK) != 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        return started;
    }
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), words.begin(), words.end());
    try {
        started.keeper = ChildProcess::start(std::move(argv), pair[1]);
    } catch (const Error&) {
    }
    ::close(pair[1]);
    started.socket = pair[0];
    return started;
}

}  // namespace

std::string keeperBesideUs() {
    std::string dir = runtime::executableDirectory();
    return dir.empty() ? std::string() : dir + "/" + kKeeperName;
}

std::unique_ptr<Application> Application::start(std::string_view commandLine,
                                                const std::string& keeper) {
    std::vector<std::string> words = splitCommandLine(commandLine);
    auto [child, socket] = startKeeper(keeper, words);
    StartReport report;
    if (child && receive(socket, report)) {
        if (report.error != 0) {
            ::close(socket);
            child->wait();  // it ends at once after a failed start
            throw makeError(report.error, words.front());
        }
        return std::unique_ptr<Application>(new Application(std::move(child), report.pid, socket));
    }
    if (socket >= 0) {
        ::close(socket);
    }
    if (child) {
        child->wait();  // it failed before it could start anything
    }
    std::fprintf(stderr, "porvane: %s cannot run; the application is ended as a single process\n",
                 keeper.c_str());
    child = ChildProcess::start(std::move(words));
    pid_t pid = child->pid();
    return std::unique_ptr<Application>(new Application(std::move(child), pid, -1));
}

Application::~Application() {
    if (keeper_ >= 0) {
        ::close(keeper_);
    }
}

void Application::tell(char command) {
    // A keeper that has ended (nothing of the application was left) cannot hear: no matter.
    ssize_t n;
    do {
        n = ::send(keeper_, &command, 1, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
}

void Application::setEndsWithGate(bool ends) {
    if (keeper_ >= 0) {
        tell(ends ? kArm : kDisarm);
    }
}

void Application::terminate() {
    if (keeper_ >= 0) {
        tell(kEndNow);
    } else {
        child_->terminate();
    }
}

}  // namespace runtime::posix
