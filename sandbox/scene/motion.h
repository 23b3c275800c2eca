// Keyed motion of a scene object: position and rotation keys on frame numbers,
// evaluated at any time.
//
// Rotation keys hold heading, pitch and bank in degrees. An object turns by
// bank about its z axis first, then by pitch about its x axis, then by heading
// about the world's y axis: world = Ry(heading) * Rx(pitch) * Rz(bank) * local.
// Heading 90 turns the object's +z toward world +x, pitch 90 tips +z down to
// world -y, bank 90 lifts +x up to world +y.
//
// Between keys each channel (x, y, z, heading, pitch, bank) is interpolated on
// its own, either linearly or along a Catmull-Rom curve through the keys
// ("smooth"). Before the first key and after the last one the channel holds
// the end key's value. An object without keys stays at the origin, unturned.
#pragma once

#include <array>
#include <vector>

namespace plix::scene {

using Vec3 = std::array<double, 3>;

enum class Interpolation { linear, smooth };

struct Key {
    double frame = 0.0;
    Vec3 value{};
};

// Directions of an object's x, y and z axes in world space.
struct Axes {
    Vec3 x{1.0, 0.0, 0.0};
    Vec3 y{0.0, 1.0, 0.0};
    Vec3 z{0.0, 0.0, 1.0};
};

// Keys must be sorted by frame, without two keys on the same frame.
Vec3 interpolateKeys(const std::vector<Key> &keys, double frame, Interpolation mode);

// Axes of an object turned by heading, pitch and bank in degrees.
Axes axesFromHeadingPitchBank(const Vec3 &degrees);

struct Motion {
    Interpolation interpolation = Interpolation::linear;
    std::vector<Key> positionKeys;
    std::vector<Key> rotationKeys;

    Vec3 positionAtFrame(double frame) const;
    Vec3 rotationAtFrame(double frame) const;
    Axes axesAtFrame(double frame) const;
};

} // namespace plix::scene
