// The sandbox's plain geometry types, one of each: a point or direction in
// world space, the axes of an item, and what the sandbox keeps of one spark
// in one frame. The stand-in host, scenes, the cache and the preview all
// speak in these, so nothing converts between them on the way.
#pragma once

#include <cmath>
#include <vector>

namespace plix::geometry {

// A point or a direction in world space (the host's coordinates: y up).
// Rotation keys of a scene hold heading, pitch and bank in x, y and z.
struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    friend bool operator==(const Vec3 &, const Vec3 &) = default;
};

// World directions of an item's own x, y and z axes (item parameters 2, 3, 4).
struct Axes {
    Vec3 x{1.0, 0.0, 0.0};
    Vec3 y{0.0, 1.0, 0.0};
    Vec3 z{0.0, 0.0, 1.0};
    friend bool operator==(const Axes &, const Axes &) = default;
};

// One spark in one frame.
struct SparkSample {
    Vec3 position{};     // as the effect's evaluate entry handed it out
    Vec3 velocity{};     // scene units per second, measured by the host; zero when parked or not measured
    float age = 0.0f;    // the value published in the particle age buffer
    bool parked = false; // at the parking position: not in flight this frame
};

// A spark in flight whose position, age or velocity is not a finite number
// (from extreme settings): counted apart, never drawn or cached.
inline bool nonFinite(const SparkSample &spark) {
    const double values[] = {spark.position.x, spark.position.y, spark.position.z,
                             spark.velocity.x, spark.velocity.y, spark.velocity.z, spark.age};
    if (spark.parked) return false;
    for (double v : values)
        if (!std::isfinite(v)) return true;
    return false;
}

// In flight with finite values: what the cache and the preview show.
inline bool shownInFlight(const SparkSample &spark) { return !spark.parked && !nonFinite(spark); }

// The sparks of every effect in one frame, effects in scene order.
using FrameSparks = std::vector<std::vector<SparkSample>>;

} // namespace plix::geometry
