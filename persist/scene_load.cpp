#include "effect/int32_math.h"
#include "effect/launch.h"
#include "effect/spark_types.h"
#include "persist/scene_block.h"
#include "persist/scene_line.h"

namespace {

// Tested in this order; the first name the keyword is a prefix of decides.
enum Name {
    End, V0Min, V0Max, AgeMin, AgeMax, Gravity, Regist, StartFrame, Birth, ReCycle,
    SpreadMin, SpreadMax, Reference, AvoidX, AvoidY, AvoidZ, NameCount, NoName = NameCount
};
constexpr const char *names[NameCount] = {
    "PLIX_END", "V0Min",   "V0Max",     "AgeMin",    "AgeMax",    "Gravity", "Regist", "START_F",
    "Birth",    "ReCycle", "SpreadMin", "SpreadMax", "REFERENCE", "AvoidX",  "AvoidY", "AvoidZ",
};

Name matchName(const SceneLine &line) noexcept {
    for (int i = 0; i < NameCount; ++i)
        if (keywordMatches(names[i], line)) return static_cast<Name>(i);
    return NoName;
}

void setValue(SparkSettings &s, Name name, double v) noexcept {
    using plix::truncToInt32;
    switch (name) {
    case V0Min: s.v0Min = v; break;
    case V0Max: s.v0Max = v; break;
    case AgeMin: s.ageMin = truncToInt32(v); break;
    case AgeMax: s.ageMax = truncToInt32(v); break;
    case Gravity: s.gravity = v; break;
    case Regist: s.regist = v; break;
    case StartFrame: s.startFrame = truncToInt32(v); break;
    case Birth: s.birthRate = truncToInt32(v); break;
    case ReCycle: s.recycle = truncToInt32(v); break;
    case SpreadMin: s.spreadMin = truncToInt32(v); break;
    case SpreadMax: s.spreadMax = truncToInt32(v); break;
    case AvoidX: s.avoidPos[0] = v; break;
    case AvoidY: s.avoidPos[1] = v; break;
    case AvoidZ: s.avoidPos[2] = v; break;
    default: break;
    }
}

} // namespace

const char *loadInstance(void *instance, const LoadState *state) noexcept {
    auto *inst = static_cast<EffectInstance *>(instance);
    if (!inst || !state) return nullptr;
    SceneLine line;
    // A stream that fails at once holds no block; an empty first line is
    // still taken as the opening line.
    if (!readSceneLine(*state, line) || !keywordMatches("PLIX_START", line)) return nullptr;

    // A stream that runs dry gives empty lines, which end the block; the
    // count bounds a stream that never runs dry.
    for (int count = 0; count < maxSceneBlockLines; ++count) {
        readSceneLine(*state, line);
        const Name name = matchName(line);
        if (name == End) break;
        if (name == Reference) {
            readReferenceName(*state, inst->referenceName);
        } else if (line.hasValue) {
            // Without any value yet in this load, a bare value line is ignored.
            setValue(inst->sparks, name, line.value);
        }
    }
    randomiseVelocities(inst->sparks);
    randomiseLifetimes(inst->sparks);
    return nullptr;
}
