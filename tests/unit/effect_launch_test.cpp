#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "effect/launch.h"
#include "fresh_thread.h"
#include "reference_effect.h"
#include "test_instance.h"

using plix::test::onFreshThread;
using plix::test::TestInstance;

namespace {

// The first `count` results of the generator from the seed 1.
std::vector<int> seedSequence(int count) {
    std::vector<int> out;
    uint32_t state = 1;
    for (int i = 0; i < count; ++i) out.push_back(plix::reference::drawRandom(state));
    return out;
}

constexpr double degreesToRadians = 0.01745277777777778;

// True when a fresh thread's generator has taken exactly `count` draws: the
// next three draws are the sequence's values that follow them.
bool tookDraws(int count) {
    const auto sequence = seedSequence(count + 3);
    for (int k = 0; k < 3; ++k)
        if (drawRandom() != sequence[static_cast<size_t>(count + k)]) return false;
    return true;
}

double speedOf(const SparkPoint &p) {
    const double *v = p.velocity;
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// Whole degrees between a launch direction and the object's +Y axis.
double degreesFromUp(const SparkPoint &p) {
    return 90.0 - std::asin(p.velocity[1] / speedOf(p)) / degreesToRadians;
}

void expectVelocity(const SparkPoint &p, double speed, int elevation, int azimuth) {
    const double el = elevation * degreesToRadians;
    const double az = azimuth * degreesToRadians;
    EXPECT_EQ(p.velocity[0], std::cos(az) * std::cos(el) * speed);
    EXPECT_EQ(p.velocity[1], std::sin(el) * speed);
    EXPECT_EQ(p.velocity[2], std::sin(az) * std::cos(el) * speed);
}

} // namespace

TEST(Generator, StartsAtSeedOneInEveryThread) {
    const std::vector<int> expected = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int round = 0; round < 2; ++round)
        onFreshThread([&] {
            for (int value : expected) EXPECT_EQ(drawRandom(), value);
        });
}

TEST(Generator, StaysWithinFifteenBits) {
    onFreshThread([] {
        int highest = 0;
        for (int i = 0; i < 200000; ++i) {
            const int v = drawRandom();
            ASSERT_GE(v, 0);
            highest = std::max(highest, v);
        }
        EXPECT_EQ(highest, 32767);
    });
}

TEST(LaunchDraws, TwoPointWorkedExample) {
    onFreshThread([] {
        TestInstance block(2);
        randomiseVelocities(block.sparks());
        randomiseLifetimes(block.sparks());
        const SparkPoint &p0 = block.points[0];
        const SparkPoint &p1 = block.points[1];
        EXPECT_NEAR(p0.velocity[0], -1.117952, 1e-6);
        EXPECT_NEAR(p0.velocity[1], 0.412232, 1e-6);
        EXPECT_NEAR(p0.velocity[2], -0.753889, 1e-6);
        expectVelocity(p0, 41 * 0.01 + 1.0, 17, 214);
        EXPECT_NEAR(p1.velocity[0], -0.876835, 1e-6);
        EXPECT_NEAR(p1.velocity[1], -0.034904, 1e-6);
        EXPECT_NEAR(p1.velocity[2], -1.797204, 1e-6);
        expectVelocity(p1, 100 * 0.01 + 1.0, -1, 244);
        EXPECT_EQ(p0.lifetime, 38);
        EXPECT_EQ(p1.lifetime, 18);
    });
}

TEST(LaunchDraws, OnePointTakesThreeVelocityDrawsThenOneLifetimeDraw) {
    onFreshThread([] {
        TestInstance block(1);
        randomiseVelocities(block.sparks());
        randomiseLifetimes(block.sparks());
        EXPECT_EQ(block.points[0].lifetime, 10); // 10 + 26500 mod 50
        EXPECT_TRUE(tookDraws(4));
    });
}

struct SpeedCase {
    double v0Min, v0Max;
    double firstSpeed; // speed of point 0 from a fresh thread
    int drawsPerPoint;
};

TEST(LaunchDraws, SpeedStepsFollowDoubleArithmetic) {
    const SpeedCase cases[] = {
        {0.2, 0.3, 0.2 + 0.01 * (41 % 9), 3}, // (0.3 - 0.2) x 100 truncates to 9
        {1.0, 1.005, 1.0, 2},                 // under one hundredth: no speed draw
        {2.5, 2.5, 2.5, 2},
        {5.0, 4.0, 5.0 + 0.01 * 41, 3},       // reversed: still upward from v0Min
    };
    for (const SpeedCase &c : cases)
        onFreshThread([&] {
            TestInstance block(1);
            block.sparks().v0Min = c.v0Min;
            block.sparks().v0Max = c.v0Max;
            randomiseVelocities(block.sparks());
            EXPECT_NEAR(speedOf(block.points[0]), c.firstSpeed, 1e-12) << c.v0Min << " " << c.v0Max;
            EXPECT_TRUE(tookDraws(c.drawsPerPoint)) << c.v0Min << " " << c.v0Max;
        });
}

TEST(LaunchDraws, ReversedSpeedsStayInHundredthsAboveMinimum) {
    onFreshThread([] {
        TestInstance block(500);
        block.sparks().v0Min = 5.0;
        block.sparks().v0Max = 4.0;
        randomiseVelocities(block.sparks());
        for (const SparkPoint &p : block.points) {
            ASSERT_GE(speedOf(p), 5.0 - 1e-9);
            ASSERT_LE(speedOf(p), 5.99 + 1e-9);
        }
    });
}

TEST(LaunchDraws, SpreadBoundsSetTheAngleFromUp) {
    onFreshThread([] {
        TestInstance fixed(50);
        fixed.sparks().spreadMin = 30;
        fixed.sparks().spreadMax = 30;
        randomiseVelocities(fixed.sparks());
        for (const SparkPoint &p : fixed.points) ASSERT_NEAR(degreesFromUp(p), 30.0, 1e-6);

        TestInstance cone(2000);
        cone.sparks().spreadMin = 0;
        cone.sparks().spreadMax = 30;
        randomiseVelocities(cone.sparks());
        int lowest = 90, highest = 0;
        for (const SparkPoint &p : cone.points) {
            const int fromUp = static_cast<int>(std::lround(degreesFromUp(p)));
            lowest = std::min(lowest, fromUp);
            highest = std::max(highest, fromUp);
        }
        EXPECT_EQ(lowest, 1); // never straight up
        EXPECT_EQ(highest, 30);
    });
}

struct LifetimeCase {
    int32_t ageMin, ageMax;
    int32_t lowest, highest;
    bool draws;
};

TEST(LaunchDraws, LifetimeRanges) {
    const LifetimeCase cases[] = {
        {0, 60, 1, 59, true},   // remainders 0 and 1 both give 1; 60 never
        {0, 0, 1, 1, false},    // zero becomes one
        {70, 60, 70, 70, false}, // reversed collapses to ageMin
        {-3, -3, -3, -3, false},
        {INT_MIN, INT_MAX, INT_MIN, INT_MIN, true}, // wrapped difference -1: remainder 0
    };
    for (const LifetimeCase &c : cases)
        onFreshThread([&] {
            TestInstance block(3000);
            block.sparks().ageMin = c.ageMin;
            block.sparks().ageMax = c.ageMax;
            randomiseLifetimes(block.sparks());
            int32_t lowest = INT_MAX, highest = INT_MIN;
            for (const SparkPoint &p : block.points) {
                lowest = std::min(lowest, p.lifetime);
                highest = std::max(highest, p.lifetime);
            }
            EXPECT_EQ(lowest, c.lowest) << c.ageMin << ".." << c.ageMax;
            EXPECT_EQ(highest, c.highest) << c.ageMin << ".." << c.ageMax;
            EXPECT_TRUE(tookDraws(c.draws ? 3000 : 0)) << c.ageMin << ".." << c.ageMax;
        });
}

TEST(LaunchDraws, NoPointsDrawNothing) {
    onFreshThread([] {
        TestInstance block(0);
        randomiseVelocities(block.sparks());
        randomiseLifetimes(block.sparks());
        EXPECT_TRUE(tookDraws(0));
    });
}

TEST(LaunchDraws, ExtremeSettingsAreSafe) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double speeds[][2] = {{0.0, inf}, {0.0, -inf}, {nan, 1.0}, {-1e300, 1e300}, {0.0, 3e7}};
    for (const auto &s : speeds)
        onFreshThread([&] {
            TestInstance block(64);
            block.sparks().v0Min = s[0];
            block.sparks().v0Max = s[1];
            block.sparks().spreadMin = INT_MAX;
            block.sparks().spreadMax = INT_MIN;
            randomiseVelocities(block.sparks());
            // A saturated step count still draws one speed per point.
            const int expectedDraws = std::isnan(s[0]) ? 2 * 64 : 3 * 64;
            EXPECT_TRUE(tookDraws(expectedDraws)) << s[0] << " " << s[1];
        });
}
