#include "persist/scene_block.h"
#include "persist/scene_writer.h"

#include "effect/spark_types.h"

const char *saveInstance(void *instance, const SaveState *state) noexcept {
    const auto *inst = static_cast<const EffectInstance *>(instance);
    if (!inst || !state) return nullptr;
    const SparkSettings &s = inst->sparks;
    struct ValueLine {
        const char *keyword;
        double value;
    };
    // Integer settings are widened to double, so they too get six decimals.
    const ValueLine lines[] = {
        {"V0Min", s.v0Min},
        {"V0Max", s.v0Max},
        {"AgeMin", double(s.ageMin)},
        {"AgeMax", double(s.ageMax)},
        {"Gravity", s.gravity},
        {"Regist", s.regist},
        {"START_F", double(s.startFrame)},
        {"Birth", double(s.birthRate)},
        {"ReCycle", double(s.recycle)},
        {"SpreadMin", double(s.spreadMin)},
        {"SpreadMax", double(s.spreadMax)},
        {"AvoidX", s.avoidPos[0]},
        {"AvoidY", s.avoidPos[1]},
        {"AvoidZ", s.avoidPos[2]},
    };
    writeBareLine(*state, "PLIX_START");
    for (const ValueLine &line : lines) writeValueLine(*state, line.keyword, line.value);
    writeBareLine(*state, "PLIX_END");
    return nullptr;
}
