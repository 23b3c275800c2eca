// Launch data through the binary interface: the two-point example from a
// fresh thread, and one random sequence per thread.
#include <thread>

#include "module_fixture.h"
#include "plix/platform/start_latch.h"
#include "spark_model.h"

namespace plix::test {
namespace {

using Launch = ModuleTest;

// At frame 0 with time 1.0 s, spark 0 (born at 0) has flown exactly 1 s and
// spark 1 (born half a frame later) a little less: its position gives the
// launch velocity back, and its age value gives the lifetime.
TEST_F(Launch, TwoPointExampleFromAFreshThread) {
    const HostObject object = HostObject::fixed(itemId(1), 2);
    void *instance = createFresh(object);
    const double time = 1.0;
    const FrameOutput out = frame(instance, object.item, 2, 0, time);

    const double ages[2] = {time - 0.0, time - 0.5 * 0.03333333333333333};
    const Vec3 expected[2] = {{-1.117952, 0.412232, -0.753889}, {-0.876835, -0.034904, -1.797204}};
    const int lifetimes[2] = {38, 18};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const double a = ages[i];
        const Vec3 &pos = out.evaluated[i];
        EXPECT_NEAR(pos.x / a, expected[i].x, 1e-6);
        EXPECT_NEAR((pos.y + a * a * 9.8 * 0.5) / a, expected[i].y, 1e-6);
        EXPECT_NEAR(pos.z / a, expected[i].z, 1e-6);
        EXPECT_EQ(out.ages[i], ageValue(a, lifetimes[i]));
    }
}

TEST_F(Launch, OnePointExampleHasLifetimeTen) {
    const HostObject object = HostObject::fixed(itemId(2), 1);
    void *instance = createFresh(object);
    // In flight through frame 10 (0 × 30 + 10), parked from frame 11 on.
    const FrameOutput last = frame(instance, object.item, 1, 10, 0.2);
    EXPECT_EQ(last.ages[0], ageValue(0.2, 10));
    EXPECT_NEAR(last.evaluated[0].x / 0.2, -1.117952, 1e-6);
    EXPECT_EQ(frame(instance, object.item, 1, 11, 0.2).evaluated[0], (Vec3{-100.0, -100.0, 0.0}));
}

// Each thread draws its own sequence from the seed: what one thread draws
// neither continues nor disturbs another's.
TEST_F(Launch, EachThreadDrawsItsOwnSequence) {
    const int n = 10;
    std::vector<HostObject> objects;
    for (std::uintptr_t k = 1; k <= 5; ++k) {
        objects.push_back(movingObject(itemId(20 + k), n));
        host.addObject(objects.back());
    }
    auto createOn = [&](int k) { return effect.create(objects[static_cast<size_t>(k)].item); };
    auto framePositions = [&](void *instance, int k) {
        return frame(instance, objects[static_cast<size_t>(k)].item, n, 12, 12 / 30.0);
    };

    // Threads A and B start together; A creates two instances, B one: B's
    // equals A's first however their draws interleave.
    void *a1 = nullptr, *a2 = nullptr, *b1 = nullptr;
    platform::StartLatch start(2);
    std::thread a([&] {
        start.arriveAndWait();
        a1 = createOn(0);
        a2 = createOn(1);
    });
    std::thread b([&] {
        start.arriveAndWait();
        b1 = createOn(2);
    });
    a.join();
    b.join();
    for (void *instance : {a1, a2, b1}) ASSERT_NE(adopt(instance), nullptr);
    // The main thread's draws in between do not disturb a fresh thread either.
    adopt(createOn(4));
    void *c1 = adopt(onFreshThread([&] { return createOn(3); }));

    const FrameOutput first = framePositions(a1, 0);
    EXPECT_NE(framePositions(a2, 1).evaluated, first.evaluated);
    // Every object moves alike, so the same sparks give the same frame.
    EXPECT_EQ(framePositions(b1, 2).evaluated, first.evaluated);
    EXPECT_EQ(framePositions(c1, 3).evaluated, first.evaluated);
    EXPECT_EQ(framePositions(c1, 3).ages, first.ages);

    // And both are the seed's sequence.
    ModelGenerator random;
    const std::vector<ModelSpark> sparks = drawLaunch(ModelSettings{}, random, n);
    const FrameOutput fresh = framePositions(b1, 2);
    for (int i = 0; i < n; ++i) {
        const ModelFlight flight = simulate(ModelSettings{}, n, i, sparks[i], 12, 12 / 30.0, objects[2]);
        EXPECT_EQ(fresh.evaluated[i], flight.pos) << i;
    }
}

} // namespace
} // namespace plix::test
