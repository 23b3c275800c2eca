// Stop requests: noted while a StopRequests lives (nested ones share it),
// ignored signals stay ignored, and the earlier handlers come back after.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>

#include <string>

#include "plix/platform/stop_requests.h"

namespace plix::platform {
namespace {

using Handler = void (*)(int);

Handler handlerOf(int signal) {
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    return now.sa_handler;
}

TEST(StopRequests, AreNotedNotFatalAndSharedByNestedGuards) {
    const Handler before = handlerOf(SIGTERM);
    {
        const StopRequests outer;
        EXPECT_EQ(stopRequestSignal(), 0);
        EXPECT_NO_THROW(throwIfStopRequested());
        {
            const StopRequests inner;
            raise(SIGTERM);
            EXPECT_EQ(stopRequestSignal(), SIGTERM);
        }
        // The inner guard's end neither forgets the request nor stops catching.
        EXPECT_EQ(stopRequestSignal(), SIGTERM);
        EXPECT_NE(handlerOf(SIGTERM), before);
        try {
            throwIfStopRequested();
            ADD_FAILURE() << "no StopRequested thrown";
        } catch (const StopRequested &stop) {
            EXPECT_EQ(stop.signal(), SIGTERM);
            EXPECT_EQ(std::string(stop.what()), "interrupted by SIGTERM");
        }
    }
    EXPECT_EQ(handlerOf(SIGTERM), before);
    // A new outermost guard starts with nothing noted.
    const StopRequests again;
    EXPECT_EQ(stopRequestSignal(), 0);
}

TEST(StopRequests, LeaveAnIgnoredSignalIgnored) {
    const Handler before = signal(SIGHUP, SIG_IGN);
    {
        const StopRequests guard;
        EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
        raise(SIGHUP);
        EXPECT_EQ(stopRequestSignal(), 0);
    }
    EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
    signal(SIGHUP, before);
}

TEST(StopRequests, NameTheirSignals) {
    EXPECT_EQ(signalName(SIGINT), "SIGINT");
    EXPECT_EQ(signalName(SIGTERM), "SIGTERM");
    EXPECT_EQ(signalName(SIGHUP), "SIGHUP");
    EXPECT_EQ(signalName(SIGUSR1), "signal " + std::to_string(SIGUSR1));
}

} // namespace
} // namespace plix::platform
#endif
