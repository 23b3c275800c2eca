// Keyed motion: interpolation between and beyond keys, and the axes that a
// heading, pitch and bank give.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "scene/motion.h"
#include "scene/scene.h"

namespace plix::scene {
namespace {

using geometry::Axes;
using geometry::Vec3;

std::array<double, 3> components(const Vec3 &v) { return {v.x, v.y, v.z}; }

void expectNear(const Vec3 &actual, const Vec3 &expected, const char *what) {
    const auto a = components(actual), e = components(expected);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], e[i], 1e-12) << what << " component " << i;
}

const std::vector<Key> threeKeys{{0.0, {0, 0, 0}}, {10.0, {10, -20, 360}}, {30.0, {10, 0, 0}}};

TEST(KeyInterpolation, LinearBetweenKeysAndHeldBeyondThem) {
    expectNear(interpolateKeys(threeKeys, -4.0, Interpolation::linear), {0, 0, 0}, "before the first key");
    expectNear(interpolateKeys(threeKeys, 2.5, Interpolation::linear), {2.5, -5, 90}, "between");
    expectNear(interpolateKeys(threeKeys, 10.0, Interpolation::linear), {10, -20, 360}, "on a key");
    expectNear(interpolateKeys(threeKeys, 20.0, Interpolation::linear), {10, -10, 180}, "second span");
    expectNear(interpolateKeys(threeKeys, 99.0, Interpolation::linear), {10, 0, 0}, "after the last key");
    expectNear(interpolateKeys({}, 5.0, Interpolation::linear), {0, 0, 0}, "no keys");
    expectNear(interpolateKeys({{7.0, {1, 2, 3}}}, -1.0, Interpolation::smooth), {1, 2, 3}, "one key");
}

TEST(KeyInterpolation, SmoothPassesThroughKeysWithoutJumps) {
    for (const Key &key : threeKeys) expectNear(interpolateKeys(threeKeys, key.frame, Interpolation::smooth), key.value, "key");
    expectNear(interpolateKeys(threeKeys, 45.0, Interpolation::smooth), {10, 0, 0}, "held after the end");
    // Continuous across a key, and on two keys a straight line.
    const Vec3 before = interpolateKeys(threeKeys, 10.0 - 1e-9, Interpolation::smooth);
    const Vec3 after = interpolateKeys(threeKeys, 10.0 + 1e-9, Interpolation::smooth);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(components(before)[i], components(after)[i], 1e-6);
    const std::vector<Key> twoKeys{{0.0, {0, 0, 0}}, {4.0, {8, 4, -4}}};
    expectNear(interpolateKeys(twoKeys, 1.0, Interpolation::smooth), {2, 1, -1}, "two keys");
}

struct TurnCase {
    Vec3 headingPitchBank;
    Vec3 x, y, z;
};

void PrintTo(const TurnCase &c, std::ostream *out) {
    *out << "hpb " << c.headingPitchBank.x << " " << c.headingPitchBank.y << " " << c.headingPitchBank.z;
}

class AxesFromRotation : public ::testing::TestWithParam<TurnCase> {};

TEST_P(AxesFromRotation, GiveTheDocumentedDirections) {
    const TurnCase &c = GetParam();
    const Axes axes = axesFromHeadingPitchBank(c.headingPitchBank);
    expectNear(axes.x, c.x, "x axis");
    expectNear(axes.y, c.y, "y axis");
    expectNear(axes.z, c.z, "z axis");
}

INSTANTIATE_TEST_SUITE_P(
    HeadingPitchBank, AxesFromRotation,
    ::testing::Values(TurnCase{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                      TurnCase{{90, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}},   // heading: +z toward +x
                      TurnCase{{0, 90, 0}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},   // pitch: +z down to -y
                      TurnCase{{0, 0, 90}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},   // bank: +x up to +y
                      // Bank first, then pitch, then heading.
                      TurnCase{{90, 90, 0}, {0, 0, -1}, {1, 0, 0}, {0, -1, 0}},
                      TurnCase{{0, 90, 90}, {0, 0, 1}, {-1, 0, 0}, {0, -1, 0}},
                      TurnCase{{-360, 720, 180}, {-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}));

TEST(AxesFromRotation, AreAlwaysARightHandedUnitFrame) {
    for (double h = -170; h < 360; h += 47)
        for (double p = -80; p < 200; p += 33)
            for (double b = -300; b < 300; b += 71) {
                const Axes a = axesFromHeadingPitchBank({h, p, b});
                const Vec3 cross{a.x.y * a.y.z - a.x.z * a.y.y, a.x.z * a.y.x - a.x.x * a.y.z,
                                 a.x.x * a.y.y - a.x.y * a.y.x};
                expectNear(cross, a.z, "x cross y is z");
                EXPECT_NEAR(a.x.x * a.y.x + a.x.y * a.y.y + a.x.z * a.y.z, 0.0, 1e-12);
                EXPECT_NEAR(std::hypot(a.x.x, a.x.y, a.x.z), 1.0, 1e-12);
            }
}

TEST(SceneObjectMotion, TimesInSecondsUseTheSceneRate) {
    SceneObject object;
    object.motion.positionKeys = {{0.0, {0, 0, 0}}, {50.0, {10, 0, 0}}};
    object.motion.rotationKeys = {{0.0, {0, 0, 0}}, {25.0, {90, 0, 0}}};
    expectNear(object.positionAt(1.0, 25.0), {5, 0, 0}, "1 s at 25 fps is frame 25");
    expectNear(object.axesAt(1.0, 25.0).z, {1, 0, 0}, "heading 90 reached at frame 25");
    expectNear(object.axesAt(0.5, 25.0).z, {std::sqrt(0.5), 0, std::sqrt(0.5)}, "halfway: 45 degrees");
}

} // namespace
} // namespace plix::scene
