// The module's own pseudo-random generator (one state per thread, seed 1,
// never reseeded) and the two draws of the sparks' launch data.
#pragma once

#include "effect/spark_types.h"

// 0 ... 32767; advances the calling thread's state.
int drawRandom() noexcept;

// Fills `velocity` of every spark, in point order.
void randomiseVelocities(SparkSettings &sparks) noexcept;

// Fills `lifetime` of every spark, in point order.
void randomiseLifetimes(SparkSettings &sparks) noexcept;
