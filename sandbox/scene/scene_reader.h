// Reads scene files. The format, line by line ('#' starts a comment, except
// inside effect blocks):
//
//   fps RATE                   frames per second, above 0 (default 30)
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
// 'fps' and 'frames' come before the first object. An 'effect' without block
// lines applies the effect with its default settings. Block lines are at most
// 255 characters, the most the effect reads back.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "persist/scene_keywords.h"
#include "scene/scene.h"
#include "scene/scene_error.h"

namespace plix::scene {

inline constexpr std::size_t maxBlockLineLength = sceneLineSize - 1;

// Throws SceneError naming the file and line.
Scene readSceneFile(const std::filesystem::path &file);

// `displayName` names the text in errors; mesh paths are taken relative to
// `baseFolder`.
Scene readSceneText(std::string_view text, const std::string &displayName,
                    const std::filesystem::path &baseFolder);

} // namespace plix::scene
