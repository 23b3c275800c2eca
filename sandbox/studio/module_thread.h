// The one thread on which the studio calls into the module. The module's
// random generator keeps one sequence per thread, and the host calls every
// entry of an instance one after another; so the server's threads hand their
// work here, and it runs in the order it arrives, one piece at a time.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace plix::studio {

class ModuleThread {
public:
    ModuleThread();
    // Runs what is still queued, then ends the thread.
    ~ModuleThread();
    ModuleThread(const ModuleThread &) = delete;
    ModuleThread &operator=(const ModuleThread &) = delete;

    // Runs `work` on the module thread and waits for it; returns its result
    // or rethrows what it threw. Called on the module thread itself, it runs
    // `work` at once (waiting would never end).
    template <class Work>
    std::invoke_result_t<Work> call(Work work) {
        using Result = std::invoke_result_t<Work>;
        if (std::this_thread::get_id() == thread_.get_id()) return work();
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
        std::future<Result> result = task->get_future();
        post([task] { (*task)(); });
        return result.get();
    }

    std::thread::id id() const { return thread_.get_id(); }

private:
    void post(std::function<void()> work);
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace plix::studio
