// What the sandbox keeps of one spark in one frame, for the cache and the
// preview.
#pragma once

#include <array>
#include <vector>

namespace plix::preview {

using Point3 = std::array<double, 3>;

struct SparkSample {
    Point3 position{};   // as the effect's evaluate entry handed it out
    float age = 0.0f;    // the value published in the particle age buffer
    bool parked = false; // at the parking position: not in flight this frame
};

// The sparks of every effect in one frame, effects in scene order.
using FrameSparks = std::vector<std::vector<SparkSample>>;

} // namespace plix::preview
