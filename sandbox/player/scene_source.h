// The scene a command works on: a scene file, or the built-in default scene.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "scene/scene.h"

namespace plix::sandbox {

struct SceneSource {
    scene::Scene scene;
    std::string fileName; // the name its saved copy takes
    std::optional<std::filesystem::path> file; // none for the built-in scene
};

// Throws scene::SceneError naming the file and line of a mistake.
SceneSource readSceneSource(const std::optional<std::filesystem::path> &file);

// The scene as messages and notes name it: its path as given, or
// "<built-in default scene>".
std::string sceneDisplayName(const SceneSource &source);
// "NAME:LINE: " for a message about a line of the scene; "NAME: " without one.
std::string sceneLinePrefix(const SceneSource &source, int line);

// Where a scene goes when saved into `folder`: its own name, unless that
// would overwrite the scene file it came from.
std::filesystem::path savedScenePath(const SceneSource &source, const std::filesystem::path &folder);

} // namespace plix::sandbox
