#pragma once
// POSIX process layer: starting a command line without a shell, and a child kept by its pidfd
// so that ending it can never reach a process that reuses its id.
// No toolkit headers here; the Qt backend watches pidfd() for the child's exit.

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace runtime::posix {

// The command line split by POSIX shell quoting rules (no expansion, no shell), as
// g_shell_parse_argv does. Throws runtime::Error 5 for an empty or blank line and for a line
// the rules reject (an unmatched quote).
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// A child process this program started. It keeps a pidfd to the child (Linux 5.3+), reaps the
// child when asked, and never ends it unless terminate() is called.
class ChildProcess {
  public:
    // Starts the command line: the first word is looked up in PATH; the child gets our
    // environment, standard input, output and error, and none of our other descriptors.
    // Throws runtime::Error: 53 when the program does not exist, 70 when it may not be run,
    // 5 for an empty line or one the quoting rules reject.
    static std::unique_ptr<ChildProcess> start(std::string_view commandLine);
    // Starts the words already split, the same way. When `passed` is a descriptor, the child
    // gets it as its descriptor 3 as well.
    static std::unique_ptr<ChildProcess> start(std::vector<std::string> words, int passed = -1);

    ~ChildProcess();  // closes the pidfd; the child keeps running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // The pidfd, readable once the child has exited; -1 where the kernel has no pidfd_open.
    int pidfd() const { return pidfd_; }
    // True once the child was reaped (its exit status collected).
    bool reaped() const { return reaped_; }
    // Collects the child's exit status if it has exited; never blocks. True when reaped.
    bool reap();
    // Waits for the child to exit and collects it.
    void wait();
    // Sends SIGKILL through the pidfd. A child that has already ended (reaped or not) is left
    // alone, silently. Without a pidfd this does nothing: a bare pid is never signalled.
    void terminate();

  private:
    ChildProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
    pid_t pid_;
    int pidfd_;
    bool reaped_ = false;
};

// The start error for an errno value from posix_spawnp: 53, 70, or 5 for anything else.
std::int32_t startErrorNumber(int error);

}  // namespace runtime::posix
