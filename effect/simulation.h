// The per-frame simulation: schedule, ballistic flight, particle publishing.
#pragma once

#include "effect/spark_types.h"

namespace plix {

struct Vec3 {
    double x, y, z;
};

} // namespace plix

// New-time entry: simulate the frame and publish every spark.
const char *newTime(void *instance, int frame, double time) noexcept;

void simulateSparks(SparkSettings &sparks) noexcept;
bool hasStarted(const SparkSettings &sparks) noexcept;
void scheduleSpark(int32_t index, SparkSettings &sparks) noexcept;
plix::Vec3 ballisticOffset(double t, double gravity, const plix::Vec3 &w) noexcept;
