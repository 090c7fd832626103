// The POSIX process layer: command-line splitting, start errors, the pidfd, termination that
// reaches only our child, reaping children that exit on their own, and the application started
// through the keeper.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include <gtest/gtest.h>

#include "runtime/Error.h"
#include "runtime/system/CommandLine.h"
#include "runtime/system/posix/Application.h"
#include "runtime/system/posix/Process.h"
#include "tests/support/Processes.h"
#include "tests/support/TempDir.h"

using runtime::posix::Application;
using runtime::posix::ChildProcess;
using runtime::posix::splitCommandLine;

extern char** environ;

namespace {

using testing_support::processState;
using testing_support::running;
using testing_support::TempDir;

bool waitUntil(const std::function<bool()>& done) {
    return testing_support::pollUntil(done, 5000);
}

// Through the keeper, as the gate starts it: the start errors must come out as without it.
int startError(const std::string& line) {
    try {
        Application::start(line, PORVANE_KEEPER);
    } catch (const runtime::Error& e) {
        return e.number;
    }
    return 0;
}

// Runs a command line through a test folder and returns what it wrote to out.txt.
class Process : public ::testing::Test {
  protected:
    // Starts the command line with the test folder as its working folder.
    template <class Started = ChildProcess, class... Args>
    auto startInDir(const std::string& line, Args... args) {
        std::filesystem::path saved = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        auto child = Started::start(line, args...);
        std::filesystem::current_path(saved);
        return child;
    }
    std::string runAndRead(const std::string& line) {
        auto child = startInDir(line);
        EXPECT_TRUE(waitUntil([&] { return child->reap(); }));
        return dir.read("out.txt");
    }
    // A script without the execute permission.
    std::string notExecutable() {
        std::string path = dir.write("not-executable", "#!/bin/sh\nexit 0\n");
        ::chmod(path.c_str(), 0644);
        return path;
    }
    // An executable file in no format the system can run.
    std::string noProgramFormat() {
        std::string path = dir.write("garbage", "\x01\x02\x03 not a program\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }
    TempDir dir;
};

TEST_F(Process, SplitsByShellQuotingWithoutExpansion) {
    EXPECT_EQ(splitCommandLine("prog a 'b c' \"d e\" f\\ g"),
              (std::vector<std::string>{"prog", "a", "b c", "d e", "f g"}));
    EXPECT_EQ(splitCommandLine("  echo   $HOME  *  ~ "),
              (std::vector<std::string>{"echo", "$HOME", "*", "~"}));
    EXPECT_EQ(splitCommandLine("xmessage -center \"It's fine\""),
              (std::vector<std::string>{"xmessage", "-center", "It's fine"}));
}

TEST_F(Process, QuotingReachesTheChildAsArguments) {
    std::string out =
        runAndRead("sh -c 'printf \"%s|\" \"$@\" > out.txt' sh \"a b\" 'c  d' e\\ f '$HOME' \"*\"");
    EXPECT_EQ(out, "a b|c  d|e f|$HOME|*|");
}

// Error 53 for a program that is not there, 70 for one that may not run, 5 for a line that
// names none; looking up and starting agree.
TEST_F(Process, LookUpPredictsWhatStartingDoesAndNamesTheProgram) {
    std::string plain = notExecutable();
    std::string garbage = noProgramFormat();
    struct Row {
        const char* name;
        std::string line;
        int error;
        std::string program;  // as parsed, or for a found program the end of its path
    } rows[] = {
        {"In PATH", "sh -c 'exit 0' x", 0, "/sh"},
        {"Missing", "porvane-no-such-program-here --flag", 53, "porvane-no-such-program-here"},
        {"Missing path", "'" + dir.file("no folder/prog") + "' a", 53, dir.file("no folder/prog")},
        {"Not executable", plain, 70, plain},
        {"No program format", garbage, 70, garbage},
        {"Folder", dir.path().string(), 70, dir.path().string()},
        {"Missing file", dir.file("missing"), 53, dir.file("missing")},
        {"Missing folder", dir.file("no-folder/prog"), 53, dir.file("no-folder/prog")},
        {"Empty", "", 5, ""},
        {"Blank", " ", 5, ""},
        {"Blanks and a tab", "   \t ", 5, ""},
        {"Empty program name", "\"\"", 5, ""},
        {"Bad quoting", "sh -c 'x", 5, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            runtime::ApplicationLookup found = runtime::lookUpApplication(row.line);
            EXPECT_EQ(row.error, 0);
            EXPECT_TRUE(found.path.ends_with(row.program)) << found.path;
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number, row.error);
            EXPECT_EQ(e.detail, row.program);
            EXPECT_EQ(startError(row.line), row.error) << "starting it disagrees";
        }
    }
}

TEST_F(Process, PosixSpawnpReportsExecFailureThroughItsResult) {
    // What start() relies on: glibc's posix_spawnp (CLONE_VFORK) returns the child's exec
    // error instead of a pid of a child that exits with 127.
    pid_t pid = 0;
    char name[] = "porvane-no-such-program-here";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(::posix_spawnp(&pid, name, nullptr, nullptr, argv, environ), ENOENT);
    std::string plain = notExecutable();
    char* argv2[] = {plain.data(), nullptr};
    EXPECT_EQ(::posix_spawnp(&pid, plain.c_str(), nullptr, nullptr, argv2, environ), EACCES);
}

TEST_F(Process, StartKeepsAPidfdAndTheRightPid) {
    auto child = startInDir("sh -c 'echo $$ > child.pid; exec sleep 30'");
    ASSERT_GE(child->pidfd(), 0);
    EXPECT_TRUE(::fcntl(child->pidfd(), F_GETFD) & FD_CLOEXEC);
    ASSERT_TRUE(waitUntil([&] { return !dir.read("child.pid").empty(); }));
    EXPECT_EQ(std::stoi(dir.read("child.pid")), child->pid());
    EXPECT_TRUE(running(child->pid()));
    child->terminate();
    ASSERT_TRUE(waitUntil([&] { return child->reap(); }));
    EXPECT_EQ(processState(child->pid()), 0);  // killed and reaped
}

// The id is the application's own with or without the keeper; without one (a broken
// installation) the application still starts, and the end still reaches it.
TEST_F(Process, TheApplicationKeepsItsOwnIdThroughTheKeeperOrWithoutOne) {
    for (const char* keeper : {PORVANE_KEEPER, "/nonexistent/porvane-keeper"}) {
        SCOPED_TRACE(keeper);
        std::filesystem::remove(dir.file("app.pid"));
        auto app = startInDir<Application>("sh -c 'echo $$ > app.pid; exec sleep 30'",
                                           std::string(keeper));
        ASSERT_TRUE(waitUntil([&] { return !dir.read("app.pid").empty(); }));
        EXPECT_EQ(std::stoi(dir.read("app.pid")), app->pid());
        app->terminate();
        EXPECT_TRUE(waitUntil([&] {
            app->child().reap();
            return !running(app->pid());
        }));
    }
}

TEST_F(Process, ChildKeepsRunningWhenTheObjectGoes) {
    auto child = ChildProcess::start("sleep 30");
    pid_t pid = child->pid();
    child.reset();
    EXPECT_TRUE(running(pid));
    ::kill(pid, SIGKILL);  // test clean-up: still our unreaped child, so the pid is its own
    ::waitpid(pid, nullptr, 0);
}

TEST_F(Process, TerminateLeavesAnEndedChildAlone) {
    auto child = ChildProcess::start("true");
    ASSERT_TRUE(waitUntil([&] { return child->reap(); }));
    EXPECT_TRUE(child->reaped());
    child->terminate();  // ESRCH through the pidfd, ignored
    child->terminate();
    EXPECT_TRUE(child->reap());
}

TEST_F(Process, ChildGetsNoneOfOurDescriptors) {
    int fd = ::open("/dev/null", O_RDONLY);  // no O_CLOEXEC on purpose
    int high = ::fcntl(fd, F_DUPFD, 60);
    ::close(fd);
    ASSERT_GE(high, 60);
    std::string out = runAndRead("sh -c 'if [ -e /proc/self/fd/" + std::to_string(high) +
                                 " ]; then echo open; else echo closed; fi > out.txt'");
    ::close(high);
    EXPECT_EQ(out, "closed\n");
}

TEST_F(Process, ChildStartsWithDefaultSignals) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction old {};
    ::sigaction(SIGPIPE, &ignore, &old);
    std::string out = runAndRead("sh -c 'grep SigIgn /proc/self/status > out.txt'");
    ::sigaction(SIGPIPE, &old, nullptr);
    // SIGPIPE is bit 13 (value 0x1000) of the ignored mask; the child must not inherit it.
    ASSERT_FALSE(out.empty());
    unsigned long long mask = std::stoull(out.substr(out.find(':') + 1), nullptr, 16);
    EXPECT_EQ(mask & 0x1000ULL, 0ULL);
}

TEST(StartErrors, Mapping) {
    EXPECT_EQ(runtime::posix::startErrorNumber(ENOENT), 53);
    EXPECT_EQ(runtime::posix::startErrorNumber(EACCES), 70);
    EXPECT_EQ(runtime::posix::startErrorNumber(EPERM), 70);
    EXPECT_EQ(runtime::posix::startErrorNumber(ENOEXEC), 70);
    EXPECT_EQ(runtime::posix::startErrorNumber(E2BIG), 5);
}

}  // namespace
