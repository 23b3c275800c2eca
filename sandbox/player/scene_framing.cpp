#include "player/scene_framing.h"
#include "player/frame_range.h"

#include <algorithm>
#include <cmath>

namespace plix::sandbox {
std::array<double, 4> SceneFraming::box() const {
    if (fit.empty()) return {0.0, 0.0, 0.0, 0.0};
    return {fit.low()[0], fit.low()[1], fit.high()[0], fit.high()[1]};
}

SceneFraming frameScene(SceneEffects &effects, int sampleFrames) {
    SceneFraming framing;
    const scene::Scene &scene = effects.scene();
    const long long frames = static_cast<long long>(scene.lastFrame) - scene.firstFrame + 1;
    // Paths: every frame, or 2,000 spread over a longer scene.
    const long long pathPoints = std::min<long long>(frames, 2000);
    for (long long i = 0; i < pathPoints; ++i) {
        const std::vector<geometry::Vec3> at =
            effects.emitterPositions(spreadFrame(scene.firstFrame, scene.lastFrame, i, pathPoints));
        if (framing.paths.size() < at.size()) framing.paths.resize(at.size());
        for (std::size_t e = 0; e < at.size(); ++e) {
            framing.paths[e].push_back(at[e]);
            framing.fit.include(preview::projectToView(at[e]));
        }
    }
    const long long samples = std::min<long long>(frames, std::max(sampleFrames, 1));
    for (long long i = 0; i < samples; ++i) {
        const geometry::FrameSparks sparks = effects.playFrame(spreadFrame(scene.firstFrame, scene.lastFrame, i, samples));
        for (const auto &effect : sparks)
            for (const geometry::SparkSample &spark : effect)
                if (geometry::shownInFlight(spark)) framing.fit.include(preview::projectToView(spark.position));
    }
    return framing;
}

} // namespace plix::sandbox
