// The words of the effect's scene block and the size of one of its lines:
// the one place the reader, the writer and the hosts' line streams take them
// from.
#pragma once

// Bytes of one line as it passes the host's load and save states, its
// terminating zero included: the load entry reads with this maximum and the
// save entry never hands over more, so a line holds at most 255 characters.
inline constexpr int sceneLineSize = 256;

inline constexpr const char *sceneStartKeyword = "PLIX_START";
inline constexpr const char *sceneEndKeyword = "PLIX_END";
// Read, never written: the line after it is the reference name.
inline constexpr const char *sceneReferenceKeyword = "REFERENCE";

// The fourteen settings of the block, in the order the save entry writes them.
enum SceneValue {
    SceneV0Min, SceneV0Max, SceneAgeMin, SceneAgeMax, SceneGravity, SceneRegist, SceneStartFrame,
    SceneBirth, SceneReCycle, SceneSpreadMin, SceneSpreadMax, SceneAvoidX, SceneAvoidY, SceneAvoidZ,
    sceneValueCount
};

inline constexpr const char *sceneValueKeywords[sceneValueCount] = {
    "V0Min", "V0Max",   "AgeMin",    "AgeMax",    "Gravity", "Regist", "START_F",
    "Birth", "ReCycle", "SpreadMin", "SpreadMax", "AvoidX",  "AvoidY", "AvoidZ",
};
