#include <gtest/gtest.h>

#include <climits>

#include "effect/simulation.h"
#include "test_instance.h"

using plix::test::TestInstance;

namespace {

constexpr double secondsPerFrame = 0.03333333333333333;

// Runs the schedule of every spark at frame F, time F / 30.
void scheduleAll(TestInstance &block, int32_t frame) {
    block.sparks().frame = frame;
    block.sparks().time = frame / 30.0;
    for (int32_t i = 0; i < block.sparks().pointCount; ++i) scheduleSpark(i, block.sparks());
}

bool anyInFlight(const TestInstance &block) {
    for (const SparkPoint &p : block.points)
        if (p.dead == 0) return true;
    return false;
}

} // namespace

TEST(Schedule, BirthOffsetsOfFourSparksAtSixtyPerSecond) {
    TestInstance block(4); // P = 2 frames, D = 4 / 60 s
    for (SparkPoint &p : block.points) p.lifetime = 100;
    scheduleAll(block, 0);
    const double exactOffsets[] = {0.0, 0.5, 1.0, 1.5};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(block.points[i].birthTime, exactOffsets[i] * secondsPerFrame);
    EXPECT_EQ(block.points[0].dead, 0); // born at time 0 exactly: in flight with age 0
    EXPECT_EQ(block.points[1].dead, 1);
    EXPECT_EQ(block.points[2].dead, 1);

    scheduleAll(block, 1); // sparks 2 and 3 have offset 1: their first cycle starts
    EXPECT_EQ(block.points[1].dead, 0);
    EXPECT_EQ(block.points[2].dead, 0); // birth 1.0 x 1/30 equals T exactly
    EXPECT_EQ(block.points[3].dead, 1); // birth time still ahead

    scheduleAll(block, 2); // spark 0 starts cycle 1: birth time moves on by D
    EXPECT_EQ(block.points[0].birthTime, 1.0 * (4.0 / 60.0) + 0.0 * secondsPerFrame + 0.0);
}

TEST(Schedule, EndOfLifeIsStrict) {
    TestInstance block(1);
    block.sparks().recycle = 0;
    block.points[0].lifetime = 5;
    scheduleAll(block, 5); // F = birth x 30 + L: still in flight
    EXPECT_EQ(block.points[0].dead, 0);
    scheduleAll(block, 6);
    EXPECT_EQ(block.points[0].dead, 1);
    scheduleAll(block, 600); // without recycling, parked for good
    EXPECT_EQ(block.points[0].dead, 1);
}

TEST(Schedule, CycleDriftHidesEverySparkFromFrame2057) {
    // 30 x 100 / 70: P = 42 frames while D = 100 / 70 s = 42.857 frames.
    TestInstance block(100);
    block.sparks().birthRate = 70;
    for (SparkPoint &p : block.points) p.lifetime = 1000000;
    scheduleAll(block, 2056);
    EXPECT_TRUE(anyInFlight(block));
    for (int32_t frame = 2057; frame < 2057 + 42 * 5; ++frame) {
        scheduleAll(block, frame);
        ASSERT_FALSE(anyInFlight(block)) << "frame " << frame;
    }
}

TEST(Schedule, BirthRateAboveThirtyPerPointBornOnceAtStart) {
    TestInstance block(3);
    block.sparks().birthRate = 1000; // P = 0
    block.sparks().startFrame = 10;
    for (SparkPoint &p : block.points) p.lifetime = 5;
    scheduleAll(block, 12);
    for (const SparkPoint &p : block.points) {
        EXPECT_EQ(p.birthTime, 10 * secondsPerFrame);
        EXPECT_EQ(p.dead, 0);
    }
    scheduleAll(block, 16); // never born again, even with recycling on
    EXPECT_FALSE(anyInFlight(block));
}

TEST(Schedule, RecyclingCutsALongFlightAtTheNextCycle) {
    TestInstance block(30);
    block.sparks().birthRate = 30; // P = 30 frames, D = 1 s
    for (SparkPoint &p : block.points) p.lifetime = 1000;
    scheduleAll(block, 45);
    EXPECT_EQ(block.points[0].birthTime, 1.0); // cycle 1
    EXPECT_EQ(block.points[0].dead, 0);
}

TEST(Schedule, UnusualRatesAndLimitsNeverFault) {
    struct Case {
        int32_t points, rate, start, frame, recycle;
    };
    const Case cases[] = {
        {5, 0, 0, 100, 1},              // no emission period: nothing is born
        {5, -60, 0, 100, 1},            // negative period
        {5, 1, INT_MIN, INT_MAX, 1},    // frames at the int32 limits
        {5, -1, INT_MAX, INT_MIN, 1},
        {5, INT_MIN, 0, INT_MAX, 1},
        {5, INT_MAX, INT_MIN, INT_MIN, 1},
        {70000, 1, 0, INT_MAX, 1},      // i x P beyond 32 bits
        {70000, 60, -5, 1000000, 1},
        {7, 2, 3, 1000, 2},             // recycle 2 means off
    };
    for (const Case &c : cases) {
        TestInstance block(c.points);
        block.sparks().birthRate = c.rate;
        block.sparks().startFrame = c.start;
        block.sparks().recycle = c.recycle;
        for (SparkPoint &p : block.points) p.lifetime = 10;
        scheduleAll(block, c.frame);
        if (c.rate == 0) {
            EXPECT_FALSE(anyInFlight(block));
        }
    }
}

TEST(Ballistics, GravityTermInSpecifiedOrder) {
    const plix::Vec3 w = {1.5, 2.25, -3.0};
    const double t = 0.7, g = 9.8;
    const plix::Vec3 r = ballisticOffset(t, g, w);
    EXPECT_EQ(r.x, t * w.x);
    EXPECT_EQ(r.y, t * w.y - ((t * t) * g) * 0.5);
    EXPECT_EQ(r.z, t * w.z);
}

TEST(Schedule, StartsAtTheStartFrame) {
    TestInstance block(1);
    block.sparks().startFrame = 5;
    block.sparks().frame = 4;
    EXPECT_FALSE(hasStarted(block.sparks()));
    block.sparks().frame = 5;
    EXPECT_TRUE(hasStarted(block.sparks()));
}
