#include "persist/scene_block.h"
#include "persist/scene_keywords.h"
#include "persist/scene_writer.h"

#include "effect/spark_types.h"

const char *saveInstance(void *instance, const SaveState *state) noexcept {
    const auto *inst = static_cast<const EffectInstance *>(instance);
    if (!inst || !state) return nullptr;
    const SparkSettings &s = inst->sparks;
    // In the order of sceneValueKeywords. Integer settings are widened to
    // double, so they too get six decimals.
    const double values[sceneValueCount] = {
        s.v0Min,           s.v0Max,           double(s.ageMin),     double(s.ageMax),
        s.gravity,         s.regist,          double(s.startFrame), double(s.birthRate),
        double(s.recycle), double(s.spreadMin), double(s.spreadMax),
        s.avoidPos[0],     s.avoidPos[1],     s.avoidPos[2],
    };
    writeBareLine(*state, sceneStartKeyword);
    for (int i = 0; i < sceneValueCount; ++i) writeValueLine(*state, sceneValueKeywords[i], values[i]);
    writeBareLine(*state, sceneEndKeyword);
    return nullptr;
}
