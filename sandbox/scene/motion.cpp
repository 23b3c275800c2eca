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
Vec3 mirrored(const Vec3 &end, const Vec3 &neighbour) {
    return {2.0 * end[0] - neighbour[0], 2.0 * end[1] - neighbour[1], 2.0 * end[2] - neighbour[2]};
}

} // namespace

Vec3 interpolateKeys(const std::vector<Key> &keys, double frame, Interpolation mode) {
    if (keys.empty()) return {0.0, 0.0, 0.0};
    if (frame <= keys.front().frame) return keys.front().value;
    if (frame >= keys.back().frame) return keys.back().value;

    const auto after = std::upper_bound(keys.begin(), keys.end(), frame,
                                        [](double f, const Key &key) { return f < key.frame; });
    const std::size_t i = static_cast<std::size_t>(after - keys.begin()) - 1;
    const Key &a = keys[i];
    const Key &b = keys[i + 1];
    const double u = (frame - a.frame) / (b.frame - a.frame);

    Vec3 out{};
    if (mode == Interpolation::linear) {
        for (int c = 0; c < 3; ++c) out[c] = a.value[c] + (b.value[c] - a.value[c]) * u;
        return out;
    }
    const Vec3 before = i > 0 ? keys[i - 1].value : mirrored(a.value, b.value);
    const Vec3 beyond = i + 2 < keys.size() ? keys[i + 2].value : mirrored(b.value, a.value);
    for (int c = 0; c < 3; ++c) out[c] = catmullRom(before[c], a.value[c], b.value[c], beyond[c], u);
    return out;
}

Axes axesFromHeadingPitchBank(const Vec3 &degrees) {
    constexpr double toRadians = std::numbers::pi / 180.0;
    const double ch = std::cos(degrees[0] * toRadians), sh = std::sin(degrees[0] * toRadians);
    const double cp = std::cos(degrees[1] * toRadians), sp = std::sin(degrees[1] * toRadians);
    const double cb = std::cos(degrees[2] * toRadians), sb = std::sin(degrees[2] * toRadians);
    // Columns of Ry(h) * Rx(p) * Rz(b).
    Axes axes;
    axes.x = {ch * cb + sh * sp * sb, cp * sb, -sh * cb + ch * sp * sb};
    axes.y = {-ch * sb + sh * sp * cb, cp * cb, sh * sb + ch * sp * cb};
    axes.z = {sh * cp, -sp, ch * cp};
    return axes;
}

Vec3 Motion::positionAtFrame(double frame) const {
    return interpolateKeys(positionKeys, frame, interpolation);
}

Vec3 Motion::rotationAtFrame(double frame) const {
    return interpolateKeys(rotationKeys, frame, interpolation);
}

Axes Motion::axesAtFrame(double frame) const {
    return axesFromHeadingPitchBank(rotationAtFrame(frame));
}

} // namespace plix::scene
