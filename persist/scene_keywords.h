// The words of the effect's scene block and the size of one of its lines, in
// the module's own names: the one place the reader and the writer take them
// from. What they are is the hosts' contract (plix/host/scene_block.h).
#pragma once

#include "plix/host/scene_block.h"

inline constexpr int sceneLineSize = PLIX_SCENE_LINE_SIZE;

inline constexpr const char *sceneStartKeyword = PLIX_SCENE_START;
inline constexpr const char *sceneEndKeyword = PLIX_SCENE_END;
inline constexpr const char *sceneReferenceKeyword = PLIX_SCENE_REFERENCE;

// The fourteen settings of the block, in the order the save entry writes them.
enum SceneValue {
    SceneV0Min = PLIX_SCENE_V0MIN, SceneV0Max, SceneAgeMin, SceneAgeMax, SceneGravity, SceneRegist, SceneStartFrame,
    SceneBirth, SceneReCycle, SceneSpreadMin, SceneSpreadMax, SceneAvoidX, SceneAvoidY, SceneAvoidZ,
    sceneValueCount
};
static_assert(int{sceneValueCount} == int{PLIX_SCENE_VALUE_COUNT} && int{SceneAvoidZ} == int{PLIX_SCENE_AVOIDZ});

inline constexpr const char *sceneValueKeywords[sceneValueCount] = PLIX_SCENE_VALUE_KEYWORDS;
