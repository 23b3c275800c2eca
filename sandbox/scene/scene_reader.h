// Reads scene files. The format, line by line ('#' starts a comment, except
// inside effect blocks and quoted words):
//
//   fps RATE                   frames per second, at least 0.001 (default 30)
//   frames FIRST LAST          frame range played (default 0 89)
//   object NAME                starts an object; NAME is unique, of letters,
//                              digits, '_', '-' and '.'
//     points COUNT             its point count ...
//     mesh FILE.obj            ... or the vertices of an OBJ mesh, the path
//                              taken relative to the scene file's folder
//     motion linear|smooth     key interpolation (default linear)
//     position FRAME X Y Z     position key
//     rotation FRAME H P B     rotation key: heading, pitch, bank in degrees
//     effect                   applies the effect; the block lines follow
//     | LINE                   one line of the effect's block, verbatim after
//                              the '|' and one space
//
// Words are separated by spaces and tabs; a word in double quotes may hold
// spaces, tabs and '#', with \" for '"' and \\ for '\' (scene_words.h):
//   mesh "../my meshes/ring.obj"
// 'fps' and 'frames' come before the first object. An 'effect' without block
// lines applies the effect with its default settings. A line holds at most
// 65,536 bytes, a block line at most 255 characters, the most the effect reads
// back. A block line that would give a setting an infinite value is refused.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "plix/host/scene_block.h"
#include "scene/scene.h"
#include "scene/scene_error.h"

namespace plix::scene {

inline constexpr std::size_t maxBlockLineLength = PLIX_SCENE_LINE_SIZE - 1;
inline constexpr std::size_t maxSceneLineLength = 65536;
inline constexpr double minSceneFps = 0.001;

// Throws SceneError naming the file and line. Reads the file a line at a
// time, so a file that never ends (a device) stops at the first line that is
// too long, and the memory used stays bounded.
Scene readSceneFile(const std::filesystem::path &file);

// `displayName` names the text in errors; mesh paths are taken relative to
// `baseFolder`.
Scene readSceneText(std::string_view text, const std::string &displayName,
                    const std::filesystem::path &baseFolder);

} // namespace plix::scene
