// Runs a piece of a test on a thread of its own.
//
// The module's random generator keeps one sequence per thread, which starts
// afresh at the seed in every new thread: work run here sees the very draws a
// new host thread (or a new plix-sandbox process) would see.
#pragma once

#include <exception>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace plix::test {

// Runs `work` on a new thread and waits for it; returns what `work` returns
// and throws what it throws, as if it had run here.
template <class Work>
auto onFreshThread(Work &&work) {
    using Result = std::invoke_result_t<Work &>;
    std::exception_ptr failure;
    if constexpr (std::is_void_v<Result>) {
        std::thread([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        }).join();
        if (failure) std::rethrow_exception(failure);
    } else {
        std::optional<Result> result;
        std::thread([&] {
            try {
                result.emplace(work());
            } catch (...) {
                failure = std::current_exception();
            }
        }).join();
        if (failure) std::rethrow_exception(failure);
        return std::move(*result);
    }
}

} // namespace plix::test
