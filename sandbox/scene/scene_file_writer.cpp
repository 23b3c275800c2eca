#include "scene/scene_file_writer.h"
#include "text/number_text.h"

#include <charconv>
#include <sstream>

#include "scene/scene_words.h"

namespace plix::scene {
namespace {

std::string number(double value) { return text::shortestText(value); }

std::string meshReference(const SceneObject &object, const std::filesystem::path &outputFolder) {
    std::error_code ec;
    const std::filesystem::path absoluteMesh = std::filesystem::absolute(object.meshPath, ec);
    if (ec) return object.meshPath.generic_string();
    const std::filesystem::path relative =
        std::filesystem::relative(absoluteMesh, std::filesystem::absolute(outputFolder, ec), ec);
    if (ec || relative.empty()) return absoluteMesh.generic_string();
    // Near the output folder a relative path keeps scene and mesh movable
    // together; far from it, an absolute path reads better.
    int levelsUp = 0;
    for (const auto &part : relative) levelsUp += part == ".." ? 1 : 0;
    return levelsUp <= 2 ? relative.generic_string() : absoluteMesh.generic_string();
}

void writeKeys(std::ostream &out, const char *keyword, const std::vector<Key> &keys) {
    for (const Key &key : keys)
        out << "  " << keyword << ' ' << number(key.frame) << ' ' << number(key.value.x) << ' '
            << number(key.value.y) << ' ' << number(key.value.z) << '\n';
}

} // namespace

std::string writeSceneText(const Scene &scene, const std::filesystem::path &outputFolder) {
    std::ostringstream out;
    out << "# plix-sandbox scene\n";
    out << "fps " << number(scene.fps) << '\n';
    out << "frames " << scene.firstFrame << ' ' << scene.lastFrame << '\n';
    for (const SceneObject &object : scene.objects) {
        out << "\nobject " << object.name << '\n';
        if (object.meshText)
            out << "  mesh " << sceneWord(meshReference(object, outputFolder)) << '\n';
        else
            out << "  points " << object.pointCount << '\n';
        if (object.motion.interpolation == Interpolation::smooth) out << "  motion smooth\n";
        writeKeys(out, "position", object.motion.positionKeys);
        writeKeys(out, "rotation", object.motion.rotationKeys);
        for (const EffectBlock &effect : object.effects) {
            out << "  effect\n";
            for (const std::string &line : effect.lines) out << (line.empty() ? "  |" : "  | " + line) << '\n';
        }
    }
    return out.str();
}

} // namespace plix::scene
