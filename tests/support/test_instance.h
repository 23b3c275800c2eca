// An effect instance made by hand, with no host behind it: default settings
// over its own zeroed spark array, as the create entry leaves an instance
// before it draws the launch data. For unit tests of the effect, the scene
// block and the panel, which call the module's pieces directly.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "effect/instance.h"
#include "effect/spark_types.h"

namespace plix::test {

struct TestInstance {
    EffectInstance inst;
    std::vector<SparkPoint> points;

    explicit TestInstance(std::int32_t pointCount = 3) : points(static_cast<std::size_t>(pointCount)) {
        std::memset(&inst, 0, sizeof inst); // padding too, so whole records compare
        if (!points.empty()) std::memset(points.data(), 0, points.size() * sizeof(SparkPoint));
        inst.sparks.pointCount = pointCount;
        inst.sparks.points = points.data();
        applyDefaults(inst.sparks);
        inst.panelSelf = &inst;
    }
    TestInstance(const TestInstance &) = delete;
    TestInstance &operator=(const TestInstance &) = delete;

    void *handle() { return &inst; }
    SparkSettings &sparks() { return inst.sparks; }
    const SparkSettings &sparks() const { return inst.sparks; }
};

} // namespace plix::test
