// Shared set-up for tests that drive plix6.p through its binary interface
// with the stand-in host.
#pragma once

#include <gtest/gtest.h>

#include <thread>
#include <type_traits>
#include <vector>

#include "plix/standin/standin.h"

namespace plix::abitest {

using namespace plix::standin;

// The module loaded, the handler server activated (version 4) and the call
// record emptied; every instance made with create() is destroyed afterwards.
class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.open(PLIX_MODULE_PATH)) << module.errorText();
        ASSERT_EQ(effect.activate(), PLIX_ACTIVATE_OK);
        host.calls().clear();
    }

    void TearDown() override {
        for (void *instance : instances_) effect.destroy(instance);
    }

    // An instance on a static object of `points` points at `position`.
    void *create(void *item, int points, Vec3 position = {}) {
        host.addObject(SceneObject::fixed(item, points, position));
        return adopt(effect.create(item));
    }

    // Takes an instance made elsewhere (another thread) into the clean-up.
    void *adopt(void *instance) {
        if (instance) instances_.push_back(instance);
        return instance;
    }

    // Destroys an instance before the test ends.
    void destroy(void *instance) {
        std::erase(instances_, instance);
        effect.destroy(instance);
    }

    StandinHost host;
    ModuleFile module;
    HandlerServer effect{module, host};

private:
    std::vector<void *> instances_;
};

// Runs `work` on a new thread, whose random sequence starts afresh at 1,
// and returns its result.
template <class Work>
auto onFreshThread(Work work) {
    using Result = std::invoke_result_t<Work>;
    if constexpr (std::is_void_v<Result>) {
        std::thread(work).join();
    } else {
        Result result{};
        std::thread([&] { result = work(); }).join();
        return result;
    }
}

} // namespace plix::abitest
