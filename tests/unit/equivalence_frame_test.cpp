// Whole frames of the optimised module (new-time, then evaluate) against the
// literal simulation: every spark field, every published value, every host
// call in order, and every evaluated position, bit for bit, over sequences of
// frames with ordinary and extreme settings.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "effect/evaluation.h"
#include "effect/launch.h"
#include "effect/simulation.h"
#include "effect/spark_types.h"
#include "call_logging_host.h"
#include "reference_effect.h"
#include "test_instance.h"

namespace {

using plix::test::CallLoggingHost;
using plix::test::HostCall;
using plix::reference::Sparks;

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct FrameCase {
    int32_t count, birthRate, recycle, startFrame, ageMin, ageMax;
    double v0Min, v0Max, gravity;
};

const FrameCase kCases[] = {
    {0, 60, 1, 0, 10, 60, 1.0, 4.0, 9.8},
    {1, 60, 1, 0, 10, 60, 1.0, 4.0, 9.8},
    {4, 60, 1, 0, 10, 60, 1.0, 4.0, 9.8},
    {100, 70, 1, 0, 10, 60, 1.0, 4.0, 9.8},        // 30 x N not a multiple of R
    {1500, 1500, 1, 0, 10, 60, 1.0, 4.0, 9.8},     // most sparks in flight
    {1500, 1500, 0, 0, 10, 60, 1.0, 4.0, 9.8},
    {1500, 1500, 2, 5, 10, 60, 1.0, 4.0, 9.8},
    {300, 9001, 1, 0, 10, 60, 1.0, 4.0, 9.8},      // period 0
    {300, 0, 1, 0, 10, 60, 1.0, 4.0, 9.8},         // nothing born
    {300, -1, 1, 0, 10, 60, 1.0, 4.0, 9.8},
    {300, 1, 1, -40, 10, 60, 1.0, 4.0, 9.8},
    {300, kMin, 1, 0, 10, 60, 1.0, 4.0, 9.8},
    {300, kMax, 1, 0, 10, 60, 1.0, 4.0, 9.8},
    {257, 257, 1, kMin, kMin, kMax, 0.0, 1e300, -1e308},
    {257, 257, 1, kMax, -3, -3, 0.0, kInf, 9.8},
    {257, 257, 1, 0, kMax - 1, kMax, -kInf, kInf, kInf},
    {257, 257, 1, 0, 0, 0, 1e150, 2e150, std::nan("")},
    {257, -257, 1, -2, 1, 3, 1.0, 4.0, 9.8},
};

const int32_t kFrames[] = {-1, 0, 1, 17, 300, 301, 2057, 299, 0, kMin, kMax, 64, 64};

using plix::test::TestInstance;

// An instance with the case's settings, publishing to the logging host.
void applyCase(TestInstance &t, const FrameCase &c) {
    SparkSettings &s = t.sparks();
    s.birthRate = c.birthRate;
    s.recycle = c.recycle;
    s.startFrame = c.startFrame;
    s.ageMin = c.ageMin;
    s.ageMax = c.ageMax;
    s.v0Min = c.v0Min;
    s.v0Max = c.v0Max;
    s.gravity = c.gravity;
    s.avoidPos[2] = -0.0; // a negative zero must survive too
    t.inst.particleSystem = &CallLoggingHost::system;
    t.inst.positionBuffer = &CallLoggingHost::positionBuffer;
    t.inst.ageBuffer = &CallLoggingHost::ageBuffer;
    t.inst.enableBuffer = &CallLoggingHost::enableBuffer;
}

// The host calls a literal new-time makes, simulating `want` on the way.
std::vector<HostCall> literalFrame(SparkSettings &settings, Sparks &want, int32_t frame, double time) {
    std::vector<HostCall> calls;
    HostCall cleanup{HostCall::Cleanup};
    cleanup.handle = &CallLoggingHost::system;
    calls.push_back(cleanup);
    settings.time = time;
    settings.frame = frame;
    CallLoggingHost::log = &calls;
    plix::reference::simulateSparks(settings, want, &CallLoggingHost::itemParam);
    CallLoggingHost::log = nullptr;
    HostCall init{HostCall::Init};
    init.code = settings.pointCount;
    calls.push_back(init);
    for (int32_t i = 0; i < settings.pointCount; ++i) {
        const auto published = plix::reference::publish(want[static_cast<size_t>(i)]);
        HostCall set{HostCall::Set};
        set.index = i;
        set.handle = &CallLoggingHost::positionBuffer;
        std::memcpy(set.data, published.position, 12);
        calls.push_back(set);
        set = HostCall{HostCall::Set};
        set.index = i;
        set.handle = &CallLoggingHost::ageBuffer;
        std::memcpy(set.data, &published.age, 4);
        calls.push_back(set);
        set = HostCall{HostCall::Set};
        set.index = i;
        set.handle = &CallLoggingHost::enableBuffer;
        set.data[0] = 1;
        calls.push_back(set);
    }
    return calls;
}

void expectSameSparks(const SparkSettings &got, const Sparks &want) {
    for (int32_t i = 0; i < got.pointCount; ++i) {
        const SparkPoint &g = got.points[i];
        const plix::reference::Spark &w = want[static_cast<size_t>(i)];
        ASSERT_EQ(0, std::memcmp(g.pos, w.pos, sizeof g.pos)) << "pos of spark " << i;
        ASSERT_EQ(0, std::memcmp(g.velocity, w.velocity, sizeof g.velocity)) << "velocity " << i;
        ASSERT_EQ(g.lifetime, w.lifetime) << "lifetime of spark " << i;
        ASSERT_EQ(g.dead, w.dead) << "dead flag of spark " << i;
        ASSERT_EQ(0, std::memcmp(&g.age, &w.age, sizeof g.age)) << "age of spark " << i;
        ASSERT_EQ(0, std::memcmp(&g.birthTime, &w.birthTime, sizeof g.birthTime)) << "birth " << i;
    }
}

// Runs the frames on both and compares everything after each one.
void expectFramesMatch(const FrameCase &c, const std::vector<int32_t> &frames) {
    SCOPED_TRACE(::testing::Message() << "count " << c.count << ", rate " << c.birthRate
                                      << ", recycle " << c.recycle << ", start " << c.startFrame);
    TestInstance got(c.count), literal(c.count);
    applyCase(got, c);
    applyCase(literal, c);
    randomiseVelocities(got.inst.sparks);
    randomiseLifetimes(got.inst.sparks);
    Sparks want(got.points.size());
    for (size_t i = 0; i < want.size(); ++i) {
        std::memcpy(want[i].velocity, got.points[i].velocity, sizeof want[i].velocity);
        want[i].lifetime = got.points[i].lifetime;
    }
    int round = 0;
    for (int32_t frame : frames) {
        // Times at 30 and at 25 frames per second, and an odd one.
        const double time = round % 3 == 0 ? frame / 30.0 : round % 3 == 1 ? frame / 25.0 : -0.0;
        ++round;
        std::vector<HostCall> calls;
        CallLoggingHost::log = &calls;
        newTime(&got.inst, frame, time);
        CallLoggingHost::log = nullptr;
        const std::vector<HostCall> wanted = literalFrame(literal.sparks(), want, frame, time);
        ASSERT_EQ(calls.size(), wanted.size()) << "frame " << frame;
        for (size_t k = 0; k < calls.size(); ++k)
            ASSERT_TRUE(calls[k] == wanted[k]) << "host call " << k << " of frame " << frame;
        expectSameSparks(got.inst.sparks, want);
        if (::testing::Test::HasFatalFailure()) return;
        // The evaluate calls hand out the positions in order, the last one
        // again past the end.
        for (int32_t k = 0; k < c.count + 2; ++k) {
            DisplacementAccess access{};
            evaluate(&got.inst, &access);
            // No spark at all: the parking position.
            const double *expected = c.count == 0 ? literal.sparks().avoidPos
                                                  : want[static_cast<size_t>(std::min(k, c.count - 1))].pos;
            ASSERT_EQ(0, std::memcmp(access.newPos, expected, sizeof access.newPos)) << k;
        }
    }
}

TEST(FrameEquivalence, FramesMatchLiteralSimulationCallForCall) {
    CallLoggingHost host;
    const std::vector<int32_t> frames(std::begin(kFrames), std::end(kFrames));
    for (const FrameCase &c : kCases) {
        expectFramesMatch(c, frames);
        if (HasFatalFailure()) return;
    }
}

TEST(FrameEquivalence, RandomSettingsMatchLiteralSimulation) {
    CallLoggingHost host;
    uint32_t pick = 2024;
    auto next = [&pick] { return pick = pick * 1664525u + 1013904223u; };
    for (int round = 0; round < 120; ++round) {
        FrameCase c;
        c.count = static_cast<int32_t>(next() % 600);
        c.birthRate = static_cast<int32_t>(next() % 1201) - 600;
        c.recycle = static_cast<int32_t>(next() % 3);
        c.startFrame = static_cast<int32_t>(next() % 101) - 50;
        c.ageMin = static_cast<int32_t>(next() % 81) - 10;
        c.ageMax = static_cast<int32_t>(next() % 81) - 10;
        c.v0Min = static_cast<int32_t>(next() % 1001) / 100.0;
        c.v0Max = static_cast<int32_t>(next() % 1001) / 100.0;
        c.gravity = static_cast<int32_t>(next() % 2001) / 100.0 - 10.0;
        std::vector<int32_t> frames;
        for (int k = 0; k < 6; ++k) frames.push_back(static_cast<int32_t>(next() % 700) - 60);
        expectFramesMatch(c, frames);
        if (HasFatalFailure()) return;
    }
}

} // namespace
