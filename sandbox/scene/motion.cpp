#include "scene/motion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plix::scene {
namespace {

double catmullRom(double p0, double p1, double p2, double p3, double u) {
    const double u2 = u * u;
    const double u3 = u2 * u;
    return 0.5 * ((2.0 * p1) + (-p0 + p2) * u + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * u2 +
                  (-p0 + 3.0 * p1 - 3.0 * p2 + p3) * u3);
}

// Tangent helper keys beyond the ends: mirrored so that the curve leaves the
// first and reaches the last key along the straight line to its neighbour.
geometry::Vec3 mirrored(const geometry::Vec3 &end, const geometry::Vec3 &neighbour) {
    return {2.0 * end.x - neighbour.x, 2.0 * end.y - neighbour.y, 2.0 * end.z - neighbour.z};
}

} // namespace

geometry::Vec3 interpolateKeys(const std::vector<Key> &keys, double frame, Interpolation mode) {
    if (keys.empty()) return {0.0, 0.0, 0.0};
    if (frame <= keys.front().frame) return keys.front().value;
    if (frame >= keys.back().frame) return keys.back().value;

    const auto after = std::upper_bound(keys.begin(), keys.end(), frame,
                                        [](double f, const Key &key) { return f < key.frame; });
    const std::size_t i = static_cast<std::size_t>(after - keys.begin()) - 1;
    const Key &a = keys[i];
    const Key &b = keys[i + 1];
    const double u = (frame - a.frame) / (b.frame - a.frame);

    // Each channel on its own.
    if (mode == Interpolation::linear) {
        const auto line = [u](double from, double to) { return from + (to - from) * u; };
        return {line(a.value.x, b.value.x), line(a.value.y, b.value.y), line(a.value.z, b.value.z)};
    }
    const geometry::Vec3 before = i > 0 ? keys[i - 1].value : mirrored(a.value, b.value);
    const geometry::Vec3 beyond = i + 2 < keys.size() ? keys[i + 2].value : mirrored(b.value, a.value);
    return {catmullRom(before.x, a.value.x, b.value.x, beyond.x, u),
            catmullRom(before.y, a.value.y, b.value.y, beyond.y, u),
            catmullRom(before.z, a.value.z, b.value.z, beyond.z, u)};
}

geometry::Axes axesFromHeadingPitchBank(const geometry::Vec3 &degrees) {
    constexpr double toRadians = std::numbers::pi / 180.0;
    // Heading, pitch and bank are held in x, y and z.
    const double ch = std::cos(degrees.x * toRadians), sh = std::sin(degrees.x * toRadians);
    const double cp = std::cos(degrees.y * toRadians), sp = std::sin(degrees.y * toRadians);
    const double cb = std::cos(degrees.z * toRadians), sb = std::sin(degrees.z * toRadians);
    // Columns of Ry(h) * Rx(p) * Rz(b).
    geometry::Axes axes;
    axes.x = {ch * cb + sh * sp * sb, cp * sb, -sh * cb + ch * sp * sb};
    axes.y = {-ch * sb + sh * sp * cb, cp * cb, sh * sb + ch * sp * cb};
    axes.z = {sh * cp, -sp, ch * cp};
    return axes;
}

geometry::Vec3 Motion::positionAtFrame(double frame) const {
    return interpolateKeys(positionKeys, frame, interpolation);
}

geometry::Vec3 Motion::rotationAtFrame(double frame) const {
    return interpolateKeys(rotationKeys, frame, interpolation);
}

geometry::Axes Motion::axesAtFrame(double frame) const {
    return axesFromHeadingPitchBank(rotationAtFrame(frame));
}

} // namespace plix::scene
