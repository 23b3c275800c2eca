// A scene as the sandbox plays it: frame range and rate, objects with their
// points and motion, and each object's effect blocks kept verbatim.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "scene/motion.h"

namespace plix::scene {

// One application of the effect: the lines its save entry wrote, unchanged.
struct EffectBlock {
    std::vector<std::string> lines;
    int sourceLine = 0; // line of its 'effect' keyword, 0 when not read from a file
    std::vector<int> lineNumbers; // file line of each block line; empty when not read from a file
};

struct SceneObject {
    std::string name;
    int pointCount = 0;
    // The mesh the point count came from, as written in the scene, and where
    // it was found (resolved against the scene file's folder).
    std::optional<std::string> meshText;
    std::filesystem::path meshPath;
    Motion motion;
    std::vector<EffectBlock> effects;
    int sourceLine = 0;

    geometry::Vec3 positionAt(double seconds, double fps) const { return motion.positionAtFrame(seconds * fps); }
    geometry::Axes axesAt(double seconds, double fps) const { return motion.axesAtFrame(seconds * fps); }
};

struct Scene {
    static constexpr double defaultFps = 30.0;
    static constexpr int defaultFirstFrame = 0;
    static constexpr int defaultLastFrame = 89;

    double fps = defaultFps;
    int fpsLine = 0; // line of the 'fps' statement, 0 when it has none
    int firstFrame = defaultFirstFrame;
    int lastFrame = defaultLastFrame;
    int framesLine = 0; // line of the 'frames' statement, 0 when it has none
    std::vector<SceneObject> objects;

    const SceneObject *findObject(const std::string &name) const;
    SceneObject *findObject(const std::string &name);
    std::size_t effectCount() const;
};

} // namespace plix::scene
