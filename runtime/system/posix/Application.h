#pragma once
// The application as the gate sees it: every process its command line brings about, started
// and held by the keeper (Keeper.h) so that it can be ended as a whole, even after the gate
// has been killed. Without a keeper beside the gate (or one that cannot run) the command line
// still starts, as a single process that the gate ends by its pidfd: a broken installation
// never keeps the user from the application.

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

#include "runtime/system/posix/Process.h"

namespace runtime::posix {

// The keeper beside the running executable.
std::string keeperBesideUs();

class Application {
  public:
    // Starts the command line through the keeper at `keeper`. Throws runtime::Error as
    // ChildProcess::start does (5, 53, 70), naming the program.
    static std::unique_ptr<Application> start(std::string_view commandLine,
                                              const std::string& keeper);

    // Closes the line to the keeper: it ends the application when armed, else lets it run.
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The application's own process: the first program of the command line.
    pid_t pid() const { return pid_; }
    // Our child, to reap when it exits: the keeper, or the application without one.
    ChildProcess& child() { return *child_; }
    // Whether the application ends when the gate goes without its end step (killed, crashed).
    void setEndsWithGate(bool ends);
    // Ends every process of the application; one that has ended is left alone, silently.
    void terminate();

  private:
    Application(std::unique_ptr<ChildProcess> child, pid_t pid, int keeper)
        : child_(std::move(child)), pid_(pid), keeper_(keeper) {}
    void tell(char command);

    std::unique_ptr<ChildProcess> child_;
    pid_t pid_;
    int keeper_;  // our end of the keeper's socket; -1 without a keeper
};

}  // namespace runtime::posix
