// The evaluate entry hands out spark positions by the order of the calls,
// and the flags entry declares them world positions.
#include <cstring>

#include "module_fixture.h"

namespace plix::test {
namespace {

using Evaluate = ModuleTest;

// Sparks at distinct positions: frame 40 of a moving object, where the
// early sparks are in flight and the late ones are parked.
struct Scene {
    HostObject object;
    void *instance;
    FrameOutput reference;
};

class EvaluateCursor : public ModuleTest {
protected:
    Scene scene(int n) {
        Scene s{movingObject(itemId(static_cast<std::uintptr_t>(10 + n)), n), nullptr, {}};
        s.instance = createFresh(s.object);
        s.reference = frame(s.instance, s.object.item, n, 40, 40 / 30.0);
        return s;
    }
};

TEST_F(EvaluateCursor, NthCallGetsSparkNMinusOneWhateverThePointAndThenTheLastSpark) {
    const int n = 6;
    Scene s = scene(n);
    ASSERT_NE(s.reference.evaluated[0], s.reference.evaluated[n - 1]);
    effect.newTime(s.instance, 40, 40 / 30.0);
    for (int call = 0; call < n + 3; ++call) {
        DisplacementAccess access{};
        for (int k = 0; k < 3; ++k) access.oldPos[k] = 1000.0 + call; // any first triple
        access.pointId = itemId(static_cast<std::uintptr_t>(999 - call)); // any point
        effect.evaluate(s.instance, access);
        const Vec3 got{access.newPos[0], access.newPos[1], access.newPos[2]};
        EXPECT_EQ(got, s.reference.evaluated[call < n ? call : n - 1]) << "call " << call + 1;
    }
}

TEST_F(EvaluateCursor, SecondPassWithoutNewTimeGetsTheLastSparkEverywhere) {
    const int n = 5;
    Scene s = scene(n);
    EXPECT_EQ(effect.evaluateAll(s.instance, n), std::vector<Vec3>(n, s.reference.evaluated[n - 1]));
}

TEST_F(EvaluateCursor, FewerCallsThanPointsAndThenANewFrameStartsAgainAtSparkZero) {
    const int n = 5;
    Scene s = scene(n);
    effect.newTime(s.instance, 40, 40 / 30.0);
    effect.evaluateAll(s.instance, 2);
    effect.newTime(s.instance, 40, 40 / 30.0);
    EXPECT_EQ(effect.evaluateAll(s.instance, n), s.reference.evaluated);
}

TEST_F(Evaluate, BeforeAnyNewTimeEveryCallGetsTheOrigin) {
    void *instance = create(itemId(1), 3);
    EXPECT_EQ(effect.evaluateAll(instance, 5), std::vector<Vec3>(5, Vec3{}));
}

TEST_F(Evaluate, OneSparkAnswersEveryCall) {
    const HostObject object = movingObject(itemId(2), 1);
    void *instance = createFresh(object);
    const FrameOutput out = frame(instance, object.item, 4, 0, 0.0);
    EXPECT_EQ(out.evaluated, std::vector<Vec3>(4, object.position(0.0)));
}

TEST_F(Evaluate, WithoutSparksEveryCallGetsTheParkingPosition) {
    void *instance = create(itemId(3), 0);
    load(instance, "AvoidX 2.5\nAvoidY -3\nAvoidZ 11\n");
    effect.newTime(instance, 0, 0.0);
    EXPECT_EQ(effect.evaluateAll(instance, 3), std::vector<Vec3>(3, Vec3{2.5, -3.0, 11.0}));
}

TEST_F(Evaluate, WritesOnlyTheDisplacedPosition) {
    const HostObject object = movingObject(itemId(4), 2);
    void *instance = createFresh(object);
    effect.newTime(instance, 0, 0.0);
    struct {
        DisplacementAccess access;
        unsigned char hostData[64];
    } record;
    std::memset(&record, 0xA5, sizeof record);
    effect.evaluate(instance, record.access);
    unsigned char expected[sizeof record];
    std::memset(expected, 0xA5, sizeof expected);
    const Vec3 position = object.position(0.0);
    std::memcpy(expected + offsetof(DisplacementAccess, newPos), &position, sizeof position);
    EXPECT_EQ(std::memcmp(&record, expected, sizeof record), 0);
}

TEST_F(Evaluate, FlagsSayWorldPositions) {
    void *plain = create(itemId(5), 3);
    void *empty = create(itemId(6), 0);
    load(plain, "Birth 0\nReCycle 0\n");
    EXPECT_EQ(effect.flags(plain), 1u);
    EXPECT_EQ(effect.flags(empty), 1u);
}

} // namespace
} // namespace plix::test
