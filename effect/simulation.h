// The per-frame simulation: schedule, ballistic flight, particle publishing.
#pragma once

#include "effect/spark_types.h"

struct Vec3 {
    double x, y, z;
};

// New-time entry: simulate the frame and publish every spark.
const char *newTime(void *instance, int frame, double time) noexcept;

void simulateSparks(SparkSettings &sparks) noexcept;
bool hasStarted(const SparkSettings &sparks) noexcept;
void scheduleSpark(int32_t index, SparkSettings &sparks) noexcept;
Vec3 ballisticOffset(double t, double gravity, const Vec3 &w) noexcept;
