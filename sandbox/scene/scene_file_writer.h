// Writes a scene in the form the reader takes back. Numbers are written in
// their shortest exact form, so a scene read back holds the same values.
#pragma once

#include <filesystem>
#include <string>

#include "scene/scene.h"

namespace plix::scene {

// Mesh paths are written relative to `outputFolder`, where the text will be
// stored, so that the saved scene finds its meshes from there (absolute when
// the mesh lies more than two folders up from it), in double quotes when they
// hold spaces. Throws scene::WordError for a path with a line break, which
// no scene line can hold.
std::string writeSceneText(const Scene &scene, const std::filesystem::path &outputFolder);

} // namespace plix::scene
