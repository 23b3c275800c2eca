// An object of the stand-in scene, as the module sees it through
// "LW Object Info" and "LW Item Info".
#pragma once

#include <cstdint>
#include <functional>

#include "plix/geometry.h"

namespace plix::standin {

// Item identifiers are opaque pointer-sized values; any non-null value will do.
inline void *itemId(std::uintptr_t n) { return reinterpret_cast<void *>(n); }

struct HostObject {
    void *item = nullptr;  // identifier handed to the module (create's context)
    int pointCount = 0;    // answer of "LW Object Info" point count
    // World position at a time in seconds (item parameter 8). Empty: the origin.
    std::function<geometry::Vec3(double time)> position;
    // World directions of the object's axes (item parameters 2, 3, 4). Empty: identity.
    std::function<geometry::Axes(double time)> axes;

    // An object that never moves.
    static HostObject fixed(void *item, int pointCount, geometry::Vec3 position = {}, geometry::Axes axes = {}) {
        return {item, pointCount, [position](double) { return position; }, [axes](double) { return axes; }};
    }
};

} // namespace plix::standin
