// SIGTERM, SIGINT and SIGHUP reach the program as endRequested() from the event loop.
#include <QTimer>

#include <signal.h>

#include "QtTestSupport.h"

using qt_testing::waitUntil;

namespace {

struct Events : runtime::ProgramEvents {
    int requests = 0;
    void endRequested() override { ++requests; }
};

class SignalEndsTheLoop : public ::testing::TestWithParam<int> {};

TEST_P(SignalEndsTheLoop, EndRequestedIsDeliveredFromTheLoop) {
    runtime::qt::QtBackend backend;
    Events events;
    int seenInHandler = -1;
    QObject guard;  // timers that have not fired die with the test
    QTimer::singleShot(50, &guard, [&] {
        ::raise(GetParam());
        seenInHandler = events.requests;  // nothing happens inside the signal handler
    });
    QTimer::singleShot(100, &guard, [&] {
        if (events.requests > 0) {
            backend.quit(0);
        }
    });
    QTimer::singleShot(3000, &guard, [&] { backend.quit(9); });  // the guard
    EXPECT_EQ(backend.runEventLoop(events), 0);
    EXPECT_EQ(seenInHandler, 0);
    EXPECT_EQ(events.requests, 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalEndsTheLoop, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& param) {
                             return param.param == SIGTERM  ? std::string("SIGTERM")
                                    : param.param == SIGINT ? std::string("SIGINT")
                                                            : std::string("SIGHUP");
                         });

TEST(SignalBeforeTheLoop, WaitsForTheLoop) {
    runtime::qt::QtBackend backend;
    Events events;
    QObject guard;
    ::raise(SIGTERM);  // during start-up: kept in the pipe
    qt_testing::settle(50);
    EXPECT_EQ(events.requests, 0);
    QTimer::singleShot(200, &guard, [&] { backend.quit(0); });
    EXPECT_EQ(backend.runEventLoop(events), 0);
    EXPECT_EQ(events.requests, 1);
}

}  // namespace
