// A hand-made effect instance for the panel's unit tests: default settings,
// its own zeroed spark array, no host behind it.
#pragma once

#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "effect/instance.h"
#include "effect/spark_types.h"

namespace panel_test {

struct TestInstance {
    EffectInstance inst;
    std::vector<SparkPoint> points;

    explicit TestInstance(int pointCount) : points(static_cast<size_t>(pointCount)) {
        std::memset(&inst, 0, sizeof inst); // padding too, so whole records compare
        for (SparkPoint &p : points) std::memset(&p, 0, sizeof p);
        inst.sparks.pointCount = pointCount;
        inst.sparks.points = points.data();
        applyDefaults(inst.sparks);
        inst.panelSelf = &inst;
    }
    TestInstance(const TestInstance &) = delete;
    TestInstance &operator=(const TestInstance &) = delete;

    void *handle() { return &inst; }
    SparkSettings &sparks() { return inst.sparks; }
};

// Runs `body` on a new thread, whose generator starts again from its seed.
inline void onFreshThread(const std::function<void()> &body) {
    std::thread worker(body);
    worker.join();
}

} // namespace panel_test
