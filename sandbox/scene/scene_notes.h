// Notes on a scene: what the effect will do with it that a user would
// otherwise take for a fault. They change nothing that is loaded or played;
// play and panel print them, play's --json summary and the studio page list
// them.
//
// Shape: a list of SceneNote in file order (block lines first, then each
// effect's emission, then the frame rate), each with the file, the line
// (0: the scene as a whole) and the text; `formatted()` gives
// "FILE:LINE: note: TEXT", the form compilers use.
//
// Notes are given for:
// - effect block lines the effect ignores (a keyword that names no setting,
//   "v0min 2", "V0Min=2", a keyword followed by a tab), a first line that is
//   not PLIX_START, lines after the block's end, a shortened keyword ("AgeM"
//   is AgeMin), a line without a value, and values read otherwise than they
//   are written: as 0 ("V0Min two", "AvoidY inf"), cut at a character that
//   ends the number ("1,5" is 1), truncated or held in range for a
//   whole-number setting ("Birth 59.99" is 59);
// - emission that drifts and stops being renewed: 30 x points / birth rate
//   not a whole number with recycling on, with the frame from which no spark
//   is born again; a birth rate of 0 or above 30 x points;
// - a frame rate other than 30, which the effect does not follow, with what
//   it does to the scene's sparks.
#pragma once

#include <string>
#include <vector>

#include "scene/scene.h"

namespace plix::scene {

struct SceneNote {
    std::string file; // the scene as named to the user
    int line = 0;     // 0: the scene as a whole
    std::string text; // what the effect will do, in plain words, printable

    std::string formatted() const;
};

// `file` names the scene in the notes (as errors name it).
std::vector<SceneNote> sceneNotes(const Scene &scene, const std::string &file);

} // namespace plix::scene
