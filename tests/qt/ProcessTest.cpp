// The Qt backend's started applications: the pidfd watched by a QSocketNotifier, so that a child
// that exits is reaped while the program runs.
#include "QtTestSupport.h"
#include "runtime/Error.h"

using qt_testing::processState;
using qt_testing::running;
using qt_testing::waitUntil;

namespace {

class BackendProcess : public ::testing::Test {
  protected:
    runtime::qt::QtBackend backend;
};

TEST_F(BackendProcess, ExitedChildIsReapedWhileWeRun) {
    auto started = backend.startApplication("sh -c 'exit 3'", 1);
    pid_t pid = static_cast<pid_t>(started->processId());
    ASSERT_GT(pid, 0);
    // No zombie left: the notifier fires when the child exits and it is reaped then.
    EXPECT_TRUE(waitUntil([&] { return processState(pid) == 0; }));
    started->terminate();  // ended already: nothing happens, silently
}

TEST_F(BackendProcess, TerminateEndsExactlyOurChild) {
    auto started = backend.startApplication("sleep 30", 1);
    auto other = backend.startApplication("sleep 30", 1);
    pid_t pid = static_cast<pid_t>(started->processId());
    pid_t otherPid = static_cast<pid_t>(other->processId());
    ASSERT_TRUE(running(pid));
    started->terminate();
    EXPECT_TRUE(waitUntil([&] { return processState(pid) == 0; }));  // killed and reaped
    EXPECT_TRUE(running(otherPid));
    other->terminate();
    EXPECT_TRUE(waitUntil([&] { return processState(otherPid) == 0; }));
}

TEST_F(BackendProcess, StartErrorsAreRuntimeErrors) {
    EXPECT_THROW(backend.startApplication("", 1), runtime::Error);
    try {
        backend.startApplication("porvane-no-such-program-here", 1);
        FAIL() << "no error";
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number, 53);
        EXPECT_EQ(e.description, "File not found");
    }
}

}  // namespace
