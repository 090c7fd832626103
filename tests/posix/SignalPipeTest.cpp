// The self-pipe that turns SIGTERM, SIGINT and SIGHUP into bytes the event loop can watch.
#include <gtest/gtest.h>

#include <signal.h>

#include "runtime/system/posix/SignalPipe.h"

namespace {

TEST(SignalPipe, CountsSignalsOnThePipe) {
    runtime::posix::SignalPipe pipe;
    EXPECT_EQ(pipe.drain(), 0);
    ::raise(SIGTERM);
    ::raise(SIGHUP);
    EXPECT_EQ(pipe.drain(), 2);
    EXPECT_EQ(pipe.drain(), 0);
}

TEST(SignalPipe, RestoresThePreviousHandlers) {
    struct sigaction before {};
    ::sigaction(SIGINT, nullptr, &before);
    {
        runtime::posix::SignalPipe pipe;
        struct sigaction during {};
        ::sigaction(SIGINT, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);
    }
    struct sigaction after {};
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
