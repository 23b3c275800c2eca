#include "effect/int32_math.h"
#include "effect/launch.h"
#include "effect/spark_types.h"
#include "persist/scene_block.h"
#include "persist/scene_keywords.h"
#include "persist/scene_line.h"

namespace {

// What a keyword names: one of the fourteen settings, or one of these.
constexpr int End = -1, Reference = -2, NoName = -3;

// Tested in this order; the first name the keyword is a prefix of decides.
// The empty keyword is the end. Of the keywords that are a prefix of
// "REFERENCE" only "" and "R" (Regist) are also a prefix of another name.
int matchName(const SceneLine &line) noexcept {
    if (keywordMatches(sceneEndKeyword, line)) return End;
    for (int i = 0; i < sceneValueCount; ++i)
        if (keywordMatches(sceneValueKeywords[i], line)) return i;
    if (keywordMatches(sceneReferenceKeyword, line)) return Reference;
    return NoName;
}

void setValue(SparkSettings &s, int name, double v) noexcept {
    using plix::truncToInt32;
    switch (name) {
    case SceneV0Min: s.v0Min = v; break;
    case SceneV0Max: s.v0Max = v; break;
    case SceneAgeMin: s.ageMin = truncToInt32(v); break;
    case SceneAgeMax: s.ageMax = truncToInt32(v); break;
    case SceneGravity: s.gravity = v; break;
    case SceneRegist: s.regist = v; break;
    case SceneStartFrame: s.startFrame = truncToInt32(v); break;
    case SceneBirth: s.birthRate = truncToInt32(v); break;
    case SceneReCycle: s.recycle = truncToInt32(v); break;
    case SceneSpreadMin: s.spreadMin = truncToInt32(v); break;
    case SceneSpreadMax: s.spreadMax = truncToInt32(v); break;
    case SceneAvoidX: s.avoidPos[0] = v; break;
    case SceneAvoidY: s.avoidPos[1] = v; break;
    case SceneAvoidZ: s.avoidPos[2] = v; break;
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
    if (!readSceneLine(*state, line) || !keywordMatches(sceneStartKeyword, line)) return nullptr;

    // A stream that runs dry gives empty lines, which end the block; the
    // count bounds a stream that never runs dry.
    for (int count = 0; count < maxSceneBlockLines; ++count) {
        readSceneLine(*state, line);
        const int name = matchName(line);
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
