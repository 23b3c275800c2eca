// What the studio shows and edits, as the server sees it: the scene, any
// frame computed on demand, each effect's settings panel, and saving. The
// program's implementation drives the module through the stand-in host; the
// server calls it only on its module thread, one call after another.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "plix/standin/panel_toolkit.h"
#include "plix/geometry.h"

namespace plix::studio {

struct StudioEffect {
    std::string object; // the scene object's name
    int number = 1;     // 1 for the object's first effect, 2 for its second, ...
    int points = 0;
};

// An object that carries effects, with its world position at frames spread
// evenly over the scene's range, first and last included: every frame of a
// short scene, at most mostPathPoints of a long one (a path the view can
// draw, and memory that does not grow with the scene's length).
struct EmitterPath {
    static constexpr std::size_t mostPathPoints = 2000;
    std::string object;
    std::vector<int> frames; // ascending
    std::vector<geometry::Vec3> positions; // one per frame
};

struct StudioScene {
    std::string name;   // the scene's file name, or the built-in scene's
    double fps = 30.0;
    int firstFrame = 0;
    int lastFrame = 0;
    std::vector<StudioEffect> effects;
    std::vector<EmitterPath> emitters;
    std::vector<std::string> notes; // remarks about the scene, for the user
    std::string saveTarget;         // where "Save scene" writes; empty: nowhere
};

class StudioModel {
public:
    virtual ~StudioModel() = default;

    virtual StudioScene scene() = 0;
    // Every effect's sparks at a frame, effects in scene order.
    virtual geometry::FrameSparks frame(int frame) = 0;
    // The effect's panel: its controls in the module's order with the values
    // they show now. Throws std::out_of_range for an unknown effect.
    virtual std::vector<standin::PanelControl> panel(std::size_t effect) = 0;
    // Enters a value through the panel's set callback, as a user would.
    // Returns false when the toolkit made no call (a value that does not fit
    // the control's data type).
    virtual bool enter(std::size_t effect, unsigned int id, const standin::PanelValue &value) = 0;
    // Writes the scene, every block from the module's save entry, whole or
    // not at all. Returns the file written; throws std::runtime_error saying
    // why it could not.
    virtual std::string save() = 0;
};

} // namespace plix::studio
