// Create, describe, copy and destroy through the instance table.
#include <cstring>

#include "module_fixture.h"

namespace plix::test {
namespace {

using InstanceLifecycle = ModuleTest;

TEST_F(InstanceLifecycle, CreateCountsPointsThenMakesAndAttachesAParticleSystem) {
    void *item = itemId(7);
    ASSERT_NE(create(item, 5), nullptr);

    const std::vector<HostCall> &calls = host.calls().calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].kind, CallKind::PointCount);
    EXPECT_EQ(calls[0].item, item);
    EXPECT_EQ(calls[1].kind, CallKind::ParticleCreate);
    EXPECT_EQ(calls[1].code, 0x1021);
    EXPECT_EQ(calls[1].count, 0) << "type";
    void *system = calls[1].system;
    const int flags[] = {0x1, 0x20, 0x1000};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(calls[2 + i].kind, CallKind::ParticleBuffer);
        EXPECT_EQ(calls[2 + i].system, system);
        EXPECT_EQ(calls[2 + i].code, flags[i]);
    }
    EXPECT_EQ(calls[5].kind, CallKind::ParticleAttach);
    EXPECT_EQ(calls[5].system, system);
    EXPECT_EQ(calls[5].item, item);
    EXPECT_EQ(host.calls().rejectedCount(), 0u);
}

TEST_F(InstanceLifecycle, ObjectWithoutPointsStillGivesAnInstance) {
    EXPECT_NE(create(itemId(1), 0), nullptr);
    EXPECT_EQ(host.calls().count(CallKind::ParticleAttach), 1u);
}

TEST_F(InstanceLifecycle, PointArrayThatCannotExistGivesNoInstanceAndNoErrorText) {
    host.addObject(HostObject::fixed(itemId(1), -1));
    const char sentinel[] = "untouched";
    const char *errorText = sentinel;
    EXPECT_EQ(effect.create(itemId(1), &errorText), nullptr);
    EXPECT_EQ(errorText, sentinel);
    EXPECT_EQ(host.calls().count(CallKind::ParticleCreate), 0u);
}

TEST_F(InstanceLifecycle, DescribeGivesTheVersionLineInTheInstancesOwnBuffer) {
    void *first = create(itemId(1), 3);
    void *second = create(itemId(2), 3);
    const char *text = effect.describe(first);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "PLIX! ver. 1.0");
    EXPECT_EQ(effect.describe(first), text);
    load(first, "V0Min 2.5\nBirth 7\n");
    EXPECT_STREQ(effect.describe(first), "PLIX! ver. 1.0");
    const char *other = effect.describe(second);
    EXPECT_STREQ(other, "PLIX! ver. 1.0");
    EXPECT_NE(other, text);
}

TEST_F(InstanceLifecycle, EntriesThatDoNothingAnswerNothing) {
    void *instance = create(itemId(1), 3);
    host.calls().clear();
    EXPECT_EQ(effect.useItems(instance), nullptr);
    const void *ids[] = {itemId(1), nullptr};
    effect.changeId(instance, ids);
    EXPECT_EQ(effect.renderInit(instance, 1), nullptr);
    effect.renderCleanup(instance);
    EXPECT_TRUE(host.calls().calls().empty());
}

const char *changedSettings = "V0Min 2.000000\nV0Max 2.500000\nAgeMin 5\nAgeMax 9\nGravity 3.5\n"
                              "Regist 7.25\nSTART_F 3\nBirth 20\nReCycle 0\nSpreadMin 10\nSpreadMax 40\n"
                              "AvoidX 1.5\nAvoidY -2.5\nAvoidZ 4\n";

TEST_F(InstanceLifecycle, CopyTakesTheSettingsAndLeavesEachInstanceItsOwnSparks) {
    void *source = create(itemId(1), 3);
    void *destination = create(itemId(2), 5);
    load(source, changedSettings);
    const std::vector<std::string> sourceBlock = saved(source);

    host.calls().clear();
    EXPECT_EQ(effect.copy(destination, source), nullptr);
    EXPECT_EQ(saved(destination), sourceBlock);
    EXPECT_EQ(saved(source), sourceBlock) << "the source is not changed";
    EXPECT_EQ(host.calls().count(CallKind::ParticleCreate), 0u);

    // The destination keeps its five sparks and its own particle system.
    const FrameOutput out = frame(destination, itemId(2), 5, 3, 0.1);
    const ParticleSystemState *own = host.particles().attachedTo(itemId(2));
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, host.particles().attachedTo(itemId(1)));
    EXPECT_EQ(own->count, 5);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(own->positionSet[i]) << i;
    for (const HostCall &call : host.calls().ofKind(CallKind::ParticleInit)) EXPECT_EQ(call.count, 5);
    EXPECT_EQ(out.enabled, std::vector<std::uint8_t>(5, 1));
}

TEST_F(InstanceLifecycle, CopyOntoItselfChangesNothing) {
    HostObject object = movingObject(itemId(1), 6);
    void *instance = createFresh(object);
    const std::vector<std::string> block = saved(instance);
    const FrameOutput before = frame(instance, object.item, 6, 4, 4 / 30.0);
    EXPECT_EQ(effect.copy(instance, instance), nullptr);
    EXPECT_EQ(saved(instance), block);
    const FrameOutput after = frame(instance, object.item, 6, 4, 4 / 30.0);
    EXPECT_EQ(after.evaluated, before.evaluated);
    EXPECT_EQ(after.ages, before.ages);
}

TEST_F(InstanceLifecycle, DestroyingTheSourceOfACopyLeavesTheDestinationWhole) {
    void *source = create(itemId(1), 4);
    void *destination = create(itemId(2), 2);
    load(source, changedSettings);
    effect.copy(destination, source);
    host.calls().clear();
    destroy(source);
    EXPECT_TRUE(host.calls().calls().empty()) << "the particle system is left to the host";
    const FrameOutput out = frame(destination, itemId(2), 2, 0, 0.0);
    // Frame 0 is before the copied start frame 3: both sparks parked at the copied position.
    EXPECT_EQ(out.evaluated, std::vector<Vec3>(2, Vec3{1.5, -2.5, 4.0}));
}

TEST_F(InstanceLifecycle, InstancesCreatedInARowContinueTheRandomSequence) {
    HostObject first = movingObject(itemId(1), 8);
    HostObject second = movingObject(itemId(2), 8);
    host.addObject(first);
    host.addObject(second);
    auto [a, b] = onFreshThread([&] { return std::pair{effect.create(first.item), effect.create(second.item)}; });
    adopt(a);
    adopt(b);
    EXPECT_NE(frame(a, first.item, 8, 5, 5 / 30.0).evaluated, frame(b, second.item, 8, 5, 5 / 30.0).evaluated);
}

} // namespace
} // namespace plix::test
