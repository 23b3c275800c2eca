// Shared set-up for tests that drive plix6.p through its binary interface
// with the stand-in host.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fresh_thread.h"
#include "plix/standin/standin.h"

namespace plix::test {

using namespace plix::standin;
using namespace plix::geometry;

// An object that moves and turns: position and axes change with time, so a
// spark's launch depends on when it was born.
inline HostObject movingObject(void *item, int points) {
    HostObject object;
    object.item = item;
    object.pointCount = points;
    object.position = [](double t) { return Vec3{1.0 + 2.0 * t, 3.0 - t, 0.5 * t}; };
    object.axes = [](double t) {
        const double c = std::cos(t), s = std::sin(t); // turning about y
        return Axes{{c, 0.0, -s}, {0.0, 1.0, 0.0}, {s, 0.0, c}};
    };
    return object;
}

// What one frame shows: the positions of N evaluate calls and the particle
// data the frame published.
struct FrameOutput {
    std::vector<Vec3> evaluated;
    std::vector<std::array<float, 3>> positions;
    std::vector<float> ages;
    std::vector<std::uint8_t> enabled;
};

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
        host.addObject(HostObject::fixed(item, points, position));
        return adopt(effect.create(item));
    }

    // An instance made on a fresh thread: its launch data is the first the
    // generator gives. `block` (scene block lines), when given, is loaded
    // on the same thread right after creation.
    void *createFresh(const HostObject &object, const std::string &block = {}) {
        host.addObject(object);
        return adopt(onFreshThread([&] {
            void *instance = effect.create(object.item);
            if (instance && !block.empty()) load(instance, block);
            return instance;
        }));
    }

    // Loads settings: `lines` are value lines, one per '\n'.
    void load(void *instance, const std::string &lines) {
        TextLoadState stream("PLIX_START\n" + lines + "PLIX_END\n");
        effect.load(instance, stream.state());
    }

    std::vector<std::string> saved(void *instance) {
        LineSaveState stream;
        effect.save(instance, stream.state());
        return stream.lines();
    }

    // New-time at (frame, time), then `calls` evaluate calls; the particle
    // data is that of the system attached to `item`.
    FrameOutput frame(void *instance, void *item, int calls, int frameNumber, double time) {
        FrameOutput out;
        effect.newTime(instance, frameNumber, time);
        out.evaluated = effect.evaluateAll(instance, calls);
        if (const ParticleSystemState *system = host.particles().attachedTo(item)) {
            out.positions = system->positions;
            out.ages = system->ages;
            out.enabled = system->enabled;
        }
        return out;
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

} // namespace plix::test
