#include "effect/evaluation.h"

#include "effect/prefetch.h"
#include "effect/spark_types.h"

void evaluate(void *instance, DisplacementAccess *access) noexcept {
    auto *inst = static_cast<EffectInstance *>(instance);
    SparkSettings &sparks = inst->sparks;
    if (sparks.pointCount <= 0) { // no spark to hand out: the parking position
        for (int k = 0; k < 3; ++k) access->newPos[k] = sparks.avoidPos[k];
        return;
    }
    const int32_t k = sparks.cursor;
    plix::prefetchForRead(sparks.points, k, sparks.pointCount);
    const double *pos = sparks.points[k].pos;
    access->newPos[0] = pos[0];
    access->newPos[1] = pos[1];
    access->newPos[2] = pos[2];
    if (k < sparks.pointCount - 1) sparks.cursor = k + 1;
}

unsigned int displacementFlags(void *) noexcept { return PLIX_FLAG_WORLD_POSITIONS; }
