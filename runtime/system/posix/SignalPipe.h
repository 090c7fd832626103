#pragma once
// Signals that ask the program to end (SIGTERM, SIGINT, SIGHUP), turned into bytes on a pipe
// so that the event loop, not the signal handler, does the work. The handler only writes the
// signal number to the pipe (the self-pipe trick); the owner watches readFd().

namespace runtime::posix {

class SignalPipe {
  public:
    // Installs the handlers; the previous ones come back when this is destroyed. One
    // SignalPipe at a time (std::logic_error otherwise).
    SignalPipe();
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // Readable when a signal arrived; non-blocking, close-on-exec.
    int readFd() const { return readFd_; }
    // Reads every pending byte; returns how many signals arrived since the last call.
    int drain();

  private:
    int readFd_ = -1;
    int writeFd_ = -1;
};

}  // namespace runtime::posix
