// Plain vectors of the stand-in host's scene.
#pragma once

namespace plix::standin {

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    friend bool operator==(const Vec3 &, const Vec3 &) = default;
};

// World directions of an item's own x, y and z axes (item parameters 2, 3, 4).
struct Axes {
    Vec3 x{1.0, 0.0, 0.0};
    Vec3 y{0.0, 1.0, 0.0};
    Vec3 z{0.0, 0.0, 1.0};
    friend bool operator==(const Axes &, const Axes &) = default;
};

} // namespace plix::standin
