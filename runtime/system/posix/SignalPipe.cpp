#include "runtime/system/posix/SignalPipe.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>

namespace runtime::posix {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kCount = sizeof(kSignals) / sizeof(kSignals[0]);

std::atomic<int> gWriteFd{-1};
struct sigaction gPrevious[kCount];

// Async-signal-safe: one write(2), errno kept for the interrupted code.
extern "C" void onSignal(int signal) {
    int saved = errno;
    int fd = gWriteFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        unsigned char byte = static_cast<unsigned char>(signal);
        ssize_t ignored = ::write(fd, &byte, 1);  // a full pipe already holds a wake-up
        (void)ignored;
    }
    errno = saved;
}

}  // namespace

SignalPipe::SignalPipe() {
    if (gWriteFd.load() >= 0) {
        throw std::logic_error("only one SignalPipe may exist at a time");
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("pipe2 failed");
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    gWriteFd.store(writeFd_);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kCount; ++i) {
        ::sigaction(kSignals[i], &action, &gPrevious[i]);
    }
}

SignalPipe::~SignalPipe() {
    for (int i = 0; i < kCount; ++i) {
        ::sigaction(kSignals[i], &gPrevious[i], nullptr);
    }
    gWriteFd.store(-1);
    ::close(readFd_);
    ::close(writeFd_);
}

int SignalPipe::drain() {
    int count = 0;
    unsigned char buffer[64];
    for (;;) {
        ssize_t n = ::read(readFd_, buffer, sizeof buffer);
        if (n > 0) {
            count += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return count;  // EAGAIN: empty
    }
}

}  // namespace runtime::posix
