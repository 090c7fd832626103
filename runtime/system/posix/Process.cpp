#include "runtime/system/posix/Process.h"

#include <errno.h>
#include <fcntl.h>
#include <glib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>

#include "runtime/Error.h"

extern char** environ;

namespace runtime::posix {
namespace {

#ifndef P_PIDFD
constexpr idtype_t P_PIDFD = static_cast<idtype_t>(3);
#endif

int pidfdOpen(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

int pidfdSendSignal(int pidfd, int signal) {
#ifdef SYS_pidfd_send_signal
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
#else
    (void)pidfd;
    (void)signal;
    errno = ENOSYS;
    return -1;
#endif
}

// Owns the posix_spawn attribute and file-action objects for one start.
struct SpawnSetup {
    posix_spawnattr_t attr{};
    posix_spawn_file_actions_t actions{};
    explicit SpawnSetup(int passed) {
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_init(&actions);
        // The child starts with no blocked signals and default actions, whatever we changed
        // (our own SIGTERM/SIGINT/SIGHUP handlers are reset by exec anyway; ignored ones are
        // not, so reset those explicitly).
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attr, &none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int s : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGQUIT, SIGUSR1, SIGUSR2}) {
            sigaddset(&defaults, s);
        }
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        int firstClosed = 3;
        if (passed >= 0) {
            posix_spawn_file_actions_adddup2(&actions, passed, 3);
            firstClosed = 4;
        }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        // Belt and braces over close-on-exec: the child gets descriptors 0, 1 and 2 only (and
        // the one passed to it).
        posix_spawn_file_actions_addclosefrom_np(&actions, firstClosed);
#endif
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
    std::string line(commandLine);
    if (line.find('\0') != std::string::npos) {
        throw makeError(kInvalidProcedureCall);
    }
    gint argc = 0;
    gchar** argv = nullptr;
    GError* error = nullptr;
    if (!g_shell_parse_argv(line.c_str(), &argc, &argv, &error)) {
        // G_SHELL_ERROR_EMPTY_STRING for a blank line, G_SHELL_ERROR_BAD_QUOTING otherwise.
        g_clear_error(&error);
        throw makeError(kInvalidProcedureCall);
    }
    std::vector<std::string> words;
    words.reserve(static_cast<std::size_t>(argc));
    for (gint i = 0; i < argc; ++i) {
        words.emplace_back(argv[i]);
    }
    g_strfreev(argv);
    if (words.empty() || words.front().empty()) {
        throw makeError(kInvalidProcedureCall);
    }
    return words;
}

std::int32_t startErrorNumber(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kFileNotFound;
        case EACCES:
        case EPERM:
        case ENOEXEC:
        case EISDIR:
            return kPermissionDenied;
        default:
            return kInvalidProcedureCall;
    }
}

std::unique_ptr<ChildProcess> ChildProcess::start(std::string_view commandLine) {
    return start(splitCommandLine(commandLine));
}

std::unique_ptr<ChildProcess> ChildProcess::start(std::vector<std::string> words, int passed) {
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    SpawnSetup setup(passed);
    pid_t pid = 0;
    // glibc (2.24 and later) starts the child with clone(CLONE_VM | CLONE_VFORK) and hands an
    // exec failure back through the return value: ENOENT for a missing program, EACCES for
    // one without execute permission, ENOEXEC for a file that is no executable. The tests
    // check that this holds.
    int rc = ::posix_spawnp(&pid, argv[0], &setup.actions, &setup.attr, argv.data(), environ);
    if (rc != 0) {
        throw makeError(startErrorNumber(rc), words.front());
    }
    // Not reaped yet, so the pid still names our child and cannot have been reused.
    int pidfd = pidfdOpen(pid);
    if (pidfd >= 0) {
        ::fcntl(pidfd, F_SETFD, FD_CLOEXEC);  // pidfd_open sets it already; keep it explicit
    }
    // When pidfd_open fails (ENOSYS before Linux 5.3) we keep the bare pid for processId()
    // and for reaping only. It is never signalled: once reaped, the id may name another
    // process, so terminate() then does nothing rather than risk ending a stranger.
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, pidfd));
}

ChildProcess::~ChildProcess() {
    reap();  // collect it if it has ended; a running child stays running
    if (pidfd_ >= 0) {
        ::close(pidfd_);
    }
}

bool ChildProcess::reap() {
    if (reaped_) {
        return true;
    }
    siginfo_t info{};
    int rc;
    do {
        if (pidfd_ >= 0) {
            rc = ::waitid(P_PIDFD, static_cast<id_t>(pidfd_), &info, WEXITED | WNOHANG);
            if (rc < 0 && errno == EINVAL) {
                // Kernels 5.3 and 5.4 have pidfd_open but not P_PIDFD: the pid is still ours.
                rc = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG);
            }
        } else {
            rc = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG);
        }
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        // ECHILD: someone else collected it (or it is not ours); there is nothing left to reap.
        reaped_ = (errno == ECHILD);
        return reaped_;
    }
    if (info.si_pid == 0) {
        return false;  // still running
    }
    reaped_ = true;
    return true;
}

void ChildProcess::wait() {
    while (!reap()) {
        siginfo_t info{};
        int rc = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT);
        if (rc < 0 && errno != EINTR) {
            return;
        }
    }
}

void ChildProcess::terminate() {
    if (pidfd_ < 0) {
        return;  // no pidfd: never signal a bare pid
    }
    // ESRCH: the process has ended already (reaped or a zombie); left alone, silently.
    (void)pidfdSendSignal(pidfd_, SIGKILL);
}

}  // namespace runtime::posix
