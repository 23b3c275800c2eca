// Helpers for unit tests of the effect: a spark block over a local array, and
// the generator's sequence from the seed, for counting draws.
#pragma once

#include <cstdint>
#include <thread>
#include <vector>

#include "effect/instance.h"
#include "effect/spark_types.h"

namespace plix::test {

struct SparkBlock {
    std::vector<SparkPoint> points;
    SparkSettings settings{};

    explicit SparkBlock(int32_t count) : points(static_cast<size_t>(count)) {
        settings.pointCount = count;
        settings.points = points.data();
        applyDefaults(settings);
    }
};

// The first `count` results of the generator from the seed 1.
inline std::vector<int> seedSequence(int count) {
    std::vector<int> out;
    uint32_t state = 1;
    for (int i = 0; i < count; ++i) {
        state = state * 214013u + 2531011u;
        out.push_back(static_cast<int>((state >> 16) & 0x7FFFu));
    }
    return out;
}

// Runs `body` on a new thread, whose generator starts again at the seed.
template <class Body>
void onFreshThread(Body body) {
    std::thread worker(body);
    worker.join();
}

} // namespace plix::test
