// What the commands tell the user besides their results: the notes on a
// scene, and a failure in words that say what is true.
#pragma once

#include <exception>
#include <ostream>
#include <string>
#include <vector>

#include "scene/scene_notes.h"

namespace plix::sandbox {

// Prints each note as "FILE:LINE: note: TEXT", the first `shown` of them and
// then how many more there are.
void printNotes(std::ostream &err, const std::vector<scene::SceneNote> &notes, std::size_t shown = 20);

// The message for a command's failure: a file system error as "cannot
// create directories 'out': Not a directory" rather than the library's raw
// text, and every byte printable.
std::string failureMessage(const std::exception &error);

} // namespace plix::sandbox
