#include "player/scene_source.h"

#include "player/default_scene.h"
#include "scene/printable_text.h"
#include "scene/scene_reader.h"

namespace plix::sandbox {

namespace {
constexpr const char *builtInSceneName = "<built-in default scene>";
}

SceneSource readSceneSource(const std::optional<std::filesystem::path> &file) {
    if (!file) return {scene::readSceneText(defaultSceneText(), builtInSceneName, "."), defaultSceneName, {}};
    return {scene::readSceneFile(*file), file->filename().string(), file};
}

std::string sceneDisplayName(const SceneSource &source) {
    return source.file ? scene::printable(source.file->string()) : builtInSceneName;
}

std::string sceneLinePrefix(const SceneSource &source, int line) {
    return sceneDisplayName(source) + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": ";
}

std::filesystem::path savedScenePath(const SceneSource &source, const std::filesystem::path &folder) {
    std::filesystem::path target = folder / source.fileName;
    std::error_code ec;
    if (source.file && std::filesystem::equivalent(target, *source.file, ec))
        target = folder / (std::filesystem::path(source.fileName).stem().string() + ".saved.scene");
    return target;
}

} // namespace plix::sandbox
