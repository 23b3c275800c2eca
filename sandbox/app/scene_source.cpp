#include "app/scene_source.h"

#include "app/default_scene.h"
#include "scene/scene_reader.h"

namespace plix::sandbox {

SceneSource readSceneSource(const std::optional<std::filesystem::path> &file) {
    if (!file) return {scene::readSceneText(defaultSceneText(), "<built-in default scene>", "."), defaultSceneName, {}};
    return {scene::readSceneFile(*file), file->filename().string(), file};
}

std::filesystem::path savedScenePath(const SceneSource &source, const std::filesystem::path &folder) {
    std::filesystem::path target = folder / source.fileName;
    std::error_code ec;
    if (source.file && std::filesystem::equivalent(target, *source.file, ec))
        target = folder / (std::filesystem::path(source.fileName).stem().string() + ".saved.scene");
    return target;
}

} // namespace plix::sandbox
