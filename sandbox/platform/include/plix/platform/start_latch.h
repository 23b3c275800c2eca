// A latch that lets threads start together, on every target.
//
// Not std::latch: on the mingw-w64 target (no futex) libstdc++ 12 waits on a
// latch by checking a shared version counter and then sleeping on a
// condition variable, while count_down bumps the counter and notifies without
// taking that condition variable's mutex. A count_down that falls between the
// waiter's check and its sleep is lost, and the waiter sleeps for ever (seen
// as a hang in about one run in seven under wine). Every wait of the
// sandbox and its tests goes through this one instead: the count is read and
// changed only under the mutex, so no wake-up can be lost.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace plix::platform {

class StartLatch {
public:
    explicit StartLatch(std::ptrdiff_t count) : count_(count) {}
    StartLatch(const StartLatch &) = delete;
    StartLatch &operator=(const StartLatch &) = delete;

    void countDown() {
        std::lock_guard lock(mutex_);
        if (count_ > 0 && --count_ == 0) opened_.notify_all();
    }

    void wait() {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return count_ == 0; });
    }

    // Counts down and waits until every other thread has counted down too.
    void arriveAndWait() {
        std::unique_lock lock(mutex_);
        if (count_ > 0 && --count_ == 0) {
            opened_.notify_all();
            return;
        }
        opened_.wait(lock, [this] { return count_ == 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    std::ptrdiff_t count_;
};

} // namespace plix::platform
