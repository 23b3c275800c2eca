// Threads that meet at a start latch: none leaves before all have arrived,
// and none is left waiting once the last one has.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "plix/platform/start_latch.h"

namespace plix::platform {
namespace {

TEST(StartLatch, NoThreadLeavesBeforeAllHaveArrivedAndNoneIsLeftWaiting) {
    // Many fresh rounds: a lost wake-up shows as a round that never ends.
    for (int round = 0; round < 100; ++round) {
        const int threads = 2 + round % 3;
        StartLatch start(threads);
        std::atomic<int> arrived{0}, leftEarly{0};
        std::vector<std::thread> group;
        for (int t = 0; t < threads; ++t)
            group.emplace_back([&] {
                arrived.fetch_add(1);
                start.arriveAndWait();
                if (arrived.load() != threads) leftEarly.fetch_add(1);
            });
        for (std::thread &thread : group) thread.join();
        ASSERT_EQ(leftEarly.load(), 0) << "round " << round;
    }
}

TEST(StartLatch, AnOpenLatchStaysOpen) {
    StartLatch start(2);
    start.countDown();
    start.countDown();
    start.countDown(); // beyond zero: still open, not wrapped around
    start.wait();
    start.arriveAndWait();
    SUCCEED();
}

TEST(StartLatch, WaitReturnsOnceOthersCountDown) {
    StartLatch start(2);
    std::thread a([&] { start.countDown(); }), b([&] { start.countDown(); });
    start.wait();
    a.join();
    b.join();
}

} // namespace
} // namespace plix::platform
