// Sequential walks over the spark array ask for records a few kilobytes
// ahead, so that memory reads overlap the work (and host calls) per spark.
#pragma once

#include <cstdint>

#include "effect/spark_types.h"

namespace plix {

inline constexpr int32_t prefetchDistance = 32; // records, about 2.3 KB

// For a walk that reads record `index` of `count` now.
inline void prefetchForRead(const SparkPoint *points, int32_t index, int32_t count) noexcept {
    if (count - index > prefetchDistance) __builtin_prefetch(points + index + prefetchDistance, 0);
}

// For a walk that also writes the records.
inline void prefetchForWrite(SparkPoint *points, int32_t index, int32_t count) noexcept {
    if (count - index > prefetchDistance) __builtin_prefetch(points + index + prefetchDistance, 1);
}

} // namespace plix
