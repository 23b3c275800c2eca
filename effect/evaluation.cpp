#include "effect/evaluation.h"

#include <cstring>

#include "effect/prefetch.h"
#include "effect/spark_types.h"

void evaluate(void *instance, DisplacementAccess *access) noexcept {
    auto *inst = static_cast<EffectInstance *>(instance);
    SparkSettings &sparks = inst->sparks;
    const int32_t count = sparks.pointCount;
    if (count <= 0) { // no spark to hand out: the parking position
        std::memcpy(access->newPos, sparks.avoidPos, sizeof access->newPos);
        return;
    }
    const int32_t k = sparks.cursor;
    plix::prefetchForRead(sparks.points, k, count);
    // One 24-byte copy (a 16-byte and an 8-byte store): a host that reads the
    // position as one block then gets it from the store buffer, which three
    // separate 8-byte stores would not let it do.
    std::memcpy(access->newPos, sparks.points[k].pos, sizeof access->newPos);
    if (k < count - 1) sparks.cursor = k + 1;
}

unsigned int displacementFlags(void *) noexcept { return PLIX_FLAG_WORLD_POSITIONS; }
