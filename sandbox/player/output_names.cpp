#include "player/output_names.h"

#include "files/atomic_file.h"

#include <cstdio>

namespace plix::sandbox {
namespace {

bool startsWith(const std::string &text, const std::string &prefix) { return text.rfind(prefix, 0) == 0; }
bool endsWith(const std::string &text, const std::string &suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

std::string rangeSuffix(const FrameRange &played, const FrameRange &scene) {
    if (played.first == scene.first && played.last == scene.last) return "";
    char text[40];
    std::snprintf(text, sizeof text, "_%06d-%06d", played.first, played.last);
    return text;
}

OutputNames outputNames(const std::filesystem::path &folder, const FrameRange &played, const FrameRange &scene,
                        const std::filesystem::path &savedScene) {
    const std::string suffix = rangeSuffix(played, scene);
    OutputNames names;
    names.folder = folder;
    names.manifest = folder / "plix-outputs.json";
    names.cacheFolder = folder / "cache";
    names.csv = folder / ("cache" + suffix + ".csv");
    names.previewPng = folder / ("preview" + suffix + ".png");
    names.previewGif = folder / ("preview" + suffix + ".gif");
    names.savedScene = savedScene;
    return names;
}

bool isPlayOutputName(const std::string &name) {
    if (name == "plix-outputs.json" || name == "cache.csv" || name == "preview.png" || name == "preview.gif")
        return true;
    if (startsWith(name, "cache_") && endsWith(name, ".csv")) return true;
    if (startsWith(name, "preview_") && (endsWith(name, ".png") || endsWith(name, ".gif"))) return true;
    return files::isTemporaryFileName(name);
}

} // namespace plix::sandbox
