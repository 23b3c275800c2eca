// The new-time entry: the host calls of one frame, in order, and the
// particle data it publishes, predicted to the bit.
#include <algorithm>
#include <random>

#include "module_fixture.h"
#include "spark_model.h"

namespace plix::test {
namespace {

using Frame = ModuleTest;

// Four sparks at the default rate of 60 per second: birth offsets of 0, 0.5,
// 1 and 1.5 frames. At frame 1 (1/30 s) sparks 0 to 2 are in flight, spark 3
// is still to be born.
TEST_F(Frame, CallsCleanUpThenItemParametersOfSparksInFlightThenInitThenThreeSetsPerSpark) {
    const HostObject object = movingObject(itemId(3), 4);
    void *instance = createFresh(object);
    ModelGenerator random;
    const std::vector<ModelSpark> sparks = drawLaunch(ModelSettings{}, random, 4);
    const ParticleSystemState *system = host.particles().attachedTo(object.item);
    ASSERT_NE(system, nullptr);
    host.calls().clear();

    const double time = 1 / 30.0;
    effect.newTime(instance, 1, time);

    const std::vector<HostCall> &calls = host.calls().calls();
    size_t next = 0;
    auto expectCall = [&](CallKind kind) -> const HostCall & {
        static const HostCall none{};
        if (next >= calls.size()) {
            ADD_FAILURE() << "call " << next << " missing";
            return none;
        }
        const HostCall &call = calls[next++];
        EXPECT_EQ(call.kind, kind) << "call " << next - 1;
        return call;
    };
    EXPECT_EQ(expectCall(CallKind::ParticleCleanup).system, system);
    std::vector<int> inFlight;
    for (int i = 0; i < 4; ++i) {
        const ModelFlight flight = simulate(ModelSettings{}, 4, i, sparks[i], 1, time, object);
        if (!flight.inFlight) continue;
        inFlight.push_back(i);
        for (int code : {2, 3, 4, 8}) {
            const HostCall &call = expectCall(CallKind::ItemParam);
            EXPECT_EQ(call.item, object.item);
            EXPECT_EQ(call.code, code);
            EXPECT_EQ(call.time, flight.birthTime) << "spark " << i;
        }
    }
    EXPECT_EQ(inFlight, (std::vector<int>{0, 1, 2}));
    const HostCall &init = expectCall(CallKind::ParticleInit);
    EXPECT_EQ(init.system, system);
    EXPECT_EQ(init.count, 4);
    for (int i = 0; i < 4; ++i) {
        for (int size : {12, 4, 1}) {
            const HostCall &set = expectCall(CallKind::ParticleSet);
            EXPECT_EQ(set.index, i);
            EXPECT_EQ(set.dataSize, size);
        }
    }
    EXPECT_EQ(next, calls.size()) << "no further calls";
    EXPECT_EQ(host.calls().rejectedCount(), 0u);
}

// Spark positions and particle data of several frames of a moving, turning
// object, against the formulas.
TEST_F(Frame, PositionsAndParticleDataFollowTheFormulasExactly) {
    const int n = 12;
    const HostObject object = movingObject(itemId(4), n);
    void *instance = createFresh(object);
    ModelGenerator random;
    const std::vector<ModelSpark> sparks = drawLaunch(ModelSettings{}, random, n);

    int flying = 0, parked = 0;
    for (int f : {0, 3, 7, 20, 45, 61, 130}) {
        SCOPED_TRACE(f);
        const double time = f / 30.0;
        const FrameOutput out = frame(instance, object.item, n, f, time);
        ASSERT_EQ(out.positions.size(), static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const ModelFlight flight = simulate(ModelSettings{}, n, i, sparks[i], f, time, object);
            EXPECT_EQ(out.evaluated[i], flight.pos) << "spark " << i;
            const std::array<float, 3> rounded = {static_cast<float>(flight.pos.x), static_cast<float>(flight.pos.y),
                                                  static_cast<float>(flight.pos.z)};
            EXPECT_EQ(out.positions[i], rounded) << "spark " << i;
            EXPECT_EQ(out.enabled[i], 1) << "spark " << i;
            if (flight.inFlight) {
                ++flying;
                EXPECT_EQ(out.ages[i], ageValue(flight.age, sparks[i].lifetime)) << "spark " << i;
                EXPECT_GE(out.ages[i], 0.0f);
                EXPECT_LE(out.ages[i], 1.0f);
            } else {
                ++parked;
                EXPECT_EQ(out.evaluated[i], (Vec3{-100.0, -100.0, 0.0}));
            }
        }
    }
    EXPECT_GT(flying, 10);
    EXPECT_GT(parked, 10);
}

TEST_F(Frame, BeforeTheStartFrameEverySparkIsParkedAndNothingIsAsked) {
    const HostObject object = movingObject(itemId(5), 3);
    void *instance = createFresh(object, "START_F 10\nAvoidX 7\nAvoidY 8\nAvoidZ 9\n");
    host.calls().clear();
    const FrameOutput out = frame(instance, object.item, 3, 9, 9 / 30.0);
    EXPECT_EQ(host.calls().count(CallKind::ItemParam), 0u);
    EXPECT_EQ(out.evaluated, std::vector<Vec3>(3, Vec3{7.0, 8.0, 9.0}));
    EXPECT_EQ(out.positions, (std::vector<std::array<float, 3>>(3, {7.0f, 8.0f, 9.0f})));
    EXPECT_EQ(out.enabled, std::vector<std::uint8_t>(3, 1));
}

TEST_F(Frame, FirstFrameLaunchesSparkZeroFromTheObjectWithAgeZero) {
    const HostObject object = movingObject(itemId(6), 4);
    void *instance = createFresh(object);
    const FrameOutput out = frame(instance, object.item, 4, 0, 0.0);
    EXPECT_EQ(out.evaluated[0], object.position(0.0));
    EXPECT_EQ(out.ages[0], 0.0f);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(out.evaluated[i], (Vec3{-100.0, -100.0, 0.0})) << i;
}

TEST_F(Frame, ObjectWithoutPointsPublishesNoParticle) {
    void *instance = create(itemId(1), 0);
    host.calls().clear();
    effect.newTime(instance, 5, 5 / 30.0);
    std::vector<CallKind> kinds;
    for (const HostCall &call : host.calls().calls()) kinds.push_back(call.kind);
    EXPECT_EQ(kinds, (std::vector<CallKind>{CallKind::ParticleCleanup, CallKind::ParticleInit}));
    EXPECT_EQ(host.calls().calls()[1].count, 0);
}

TEST_F(Frame, BirthRateZeroKeepsEverySparkParked) {
    const HostObject object = movingObject(itemId(7), 5);
    void *instance = createFresh(object, "Birth 0\n");
    host.calls().clear();
    for (int f : {0, 1, 30, 1000}) {
        const FrameOutput out = frame(instance, object.item, 5, f, f / 30.0);
        EXPECT_EQ(out.evaluated, std::vector<Vec3>(5, Vec3{-100.0, -100.0, 0.0})) << f;
    }
    EXPECT_EQ(host.calls().count(CallKind::ItemParam), 0u);
}

// Positions depend only on the frame asked for, not on the frames before it:
// whole frames asked in a random order equal the same frames asked in order.
TEST_F(Frame, FramesAskedInAnyOrderEqualFramesAskedInSequence) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        const int n = std::uniform_int_distribution<int>(1, 40)(random);
        const int rate = std::uniform_int_distribution<int>(1, 90)(random);
        const int start = std::uniform_int_distribution<int>(-20, 20)(random);
        const int recycle = round % 3 == 0 ? 0 : 1;
        const double framesPerSecond = round % 2 ? 30.0 : 25.0;
        const std::string block = "Birth " + std::to_string(rate) + "\nSTART_F " + std::to_string(start) +
                                  "\nReCycle " + std::to_string(recycle) +
                                  "\nAgeMin 3\nAgeMax 40\nAvoidX -12345.5\nAvoidY 777.25\nAvoidZ -0.125\n";
        const HostObject object = movingObject(itemId(100 + round), n);
        void *instance = createFresh(object, block);

        std::vector<int> frames;
        for (int f = start - 5; f < start + 150; ++f) frames.push_back(f);
        std::vector<FrameOutput> inSequence;
        for (int f : frames) inSequence.push_back(frame(instance, object.item, n, f, f / framesPerSecond));

        std::vector<size_t> order(frames.size());
        for (size_t k = 0; k < order.size(); ++k) order[k] = k;
        std::shuffle(order.begin(), order.end(), random);
        int inFlight = 0;
        for (size_t k : order) {
            const int f = frames[k];
            const FrameOutput out = frame(instance, object.item, n, f, f / framesPerSecond);
            ASSERT_EQ(out.evaluated, inSequence[k].evaluated) << "frame " << f;
            ASSERT_EQ(out.positions, inSequence[k].positions) << "frame " << f;
            for (int i = 0; i < n; ++i) {
                if (out.evaluated[i] == Vec3{-12345.5, 777.25, -0.125}) continue; // parked: age carries over
                ++inFlight;
                ASSERT_EQ(out.ages[i], inSequence[k].ages[i]) << "frame " << f << " spark " << i;
            }
        }
        EXPECT_GT(inFlight, 0);
    }
}

} // namespace
} // namespace plix::test
