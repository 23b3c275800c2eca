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

#include <vector>

#include "plix/geometry.h"

namespace plix::scene {

enum class Interpolation { linear, smooth };

struct Key {
    double frame = 0.0;
    geometry::Vec3 value{};
};

// Keys must be sorted by frame, without two keys on the same frame.
geometry::Vec3 interpolateKeys(const std::vector<Key> &keys, double frame, Interpolation mode);

// Axes of an object turned by heading, pitch and bank in degrees.
geometry::Axes axesFromHeadingPitchBank(const geometry::Vec3 &degrees);

struct Motion {
    Interpolation interpolation = Interpolation::linear;
    std::vector<Key> positionKeys;
    std::vector<Key> rotationKeys;

    geometry::Vec3 positionAtFrame(double frame) const;
    geometry::Vec3 rotationAtFrame(double frame) const;
    geometry::Axes axesAtFrame(double frame) const;
};

} // namespace plix::scene
