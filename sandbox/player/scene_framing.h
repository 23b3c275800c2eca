// The framing of a scene's pictures, fixed by the scene alone: the path of
// each emitter over the scene's frames and the sparks' reach in frames spread
// over the whole scene, so that a slice, an edit and the full run are drawn
// the same way. The particle cache records it for other programs (Blender).
#pragma once

#include <array>

#include "player/scene_effects.h"
#include "preview/preview_view.h"

namespace plix::sandbox {

struct SceneFraming {
    preview::ViewFit fit;
    std::vector<std::vector<geometry::Vec3>> paths; // one per emitter, over the scene's frames
    // View-plane box: low x, low y, high x, high y.
    std::array<double, 4> box() const;
};

// Plays up to `sampleFrames` frames spread evenly over the scene's range
// (positions depend only on the frame, never on the frames played before).
SceneFraming frameScene(SceneEffects &effects, int sampleFrames = 24);

} // namespace plix::sandbox
