#include "studio/module_thread.h"

namespace plix::studio {

ModuleThread::ModuleThread() : thread_([this] { run(); }) {}

ModuleThread::~ModuleThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void ModuleThread::post(std::function<void()> work) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void ModuleThread::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return; // stopping, nothing left
        std::function<void()> work = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        work(); // a packaged task: keeps its own exceptions
        lock.lock();
    }
}

} // namespace plix::studio
