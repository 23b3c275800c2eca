// The host's services as a module reaches them: through the global lookup
// and the slots of each table.
#include <gtest/gtest.h>

#include "plix/host/slots.h"
#include "plix/standin/standin_host.h"

namespace plix::standin {
namespace {

class HostServices : public ::testing::Test {
protected:
    // The table the module would get from the lookup.
    const void *lookup(const char *name) { return host.globalFunc()(name, 0); }
    const void *particles() { return lookup("Particle Services"); }

    StandinHost host;
};

TEST_F(HostServices, LookupAnswersOfferedServicesByNameAndRecordsEachAsk) {
    for (Service service : {Service::ObjectInfo, Service::ItemInfo, Service::Particles, Service::XPanel})
        EXPECT_EQ(lookup(serviceName(service)), host.serviceTable(service)) << serviceName(service);
    EXPECT_EQ(lookup("LW Scene Info"), nullptr);
    EXPECT_EQ(lookup(nullptr), nullptr);
    host.withhold(Service::ItemInfo);
    EXPECT_EQ(lookup("LW Item Info"), nullptr);
    host.offer(Service::ItemInfo);
    EXPECT_NE(lookup("LW Item Info"), nullptr);
    EXPECT_EQ(host.calls().count(CallKind::Lookup), 8u);
    EXPECT_EQ(host.calls().rejectedCount(), 1u);
    EXPECT_EQ(host.calls().calls()[4].name, "LW Scene Info");
}

TEST_F(HostServices, ObjectsAnswerPointCountsAndParametersOverTime) {
    HostObject moving;
    moving.item = itemId(2);
    moving.pointCount = 12;
    moving.position = [](double t) { return geometry::Vec3{t, 2 * t, 3 * t}; };
    moving.axes = [](double t) { return geometry::Axes{{t, 0, 0}, {0, t, 0}, {0, 0, t}}; };
    host.addObject(HostObject::fixed(itemId(1), 5, {1, 2, 3}));
    host.addObject(moving);

    auto numPoints = slotEntry<ObjectNumPointsFunc>(lookup("LW Object Info"), 1);
    auto param = slotEntry<ItemParamFunc>(lookup("LW Item Info"), 9);
    EXPECT_EQ(numPoints(itemId(1)), 5);
    EXPECT_EQ(numPoints(itemId(2)), 12);
    EXPECT_EQ(numPoints(itemId(3)), 0);

    struct Case {
        void *item;
        int code;
        double time;
        geometry::Vec3 expected;
    } cases[] = {
        {itemId(1), 8, 9.0, {1, 2, 3}},  {itemId(1), 2, 0.0, {1, 0, 0}}, {itemId(1), 3, 0.0, {0, 1, 0}},
        {itemId(1), 4, 0.0, {0, 0, 1}},  {itemId(2), 8, 0.5, {0.5, 1, 1.5}}, {itemId(2), 4, 2.0, {0, 0, 2}},
        {itemId(2), 1, 2.0, {0, 0, 0}},  {itemId(9), 8, 0.0, {0, 0, 0}},
    };
    for (const Case &c : cases) {
        double out[3] = {7, 7, 7};
        param(c.item, c.code, c.time, out);
        EXPECT_EQ((geometry::Vec3{out[0], out[1], out[2]}), c.expected) << "code " << c.code << " time " << c.time;
    }
    const std::vector<HostCall> asked = host.calls().ofKind(CallKind::ItemParam);
    ASSERT_EQ(asked.size(), std::size(cases));
    EXPECT_EQ(asked[4].time, 0.5);
    EXPECT_TRUE(asked[6].rejected) << "unknown code";
    EXPECT_TRUE(asked[7].rejected) << "unknown item";
    param(itemId(1), 8, 0.0, nullptr); // no place for the answer: refused, no crash
    EXPECT_TRUE(host.calls().calls().back().rejected);

    // An object replaced is asked afresh, also at the time asked last.
    double before[3], after[3];
    param(itemId(2), 2, 2.0, before);
    host.addObject(HostObject::fixed(itemId(2), 12, {}, geometry::Axes{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}));
    param(itemId(2), 2, 2.0, after);
    EXPECT_EQ((geometry::Vec3{before[0], before[1], before[2]}), (geometry::Vec3{2, 0, 0}));
    EXPECT_EQ((geometry::Vec3{after[0], after[1], after[2]}), (geometry::Vec3{0, 0, -1}));
}

TEST_F(HostServices, ParticleSystemKeepsWhatSetParticleStoresWithinItsCount) {
    auto create = slotEntry<ParticleCreateFunc>(particles(), 0);
    auto init = slotEntry<ParticleInitFunc>(particles(), 2);
    auto cleanup = slotEntry<ParticleCleanupFunc>(particles(), 3);
    auto attach = slotEntry<ParticleAttachFunc>(particles(), 7);
    auto buffer = slotEntry<ParticleBufferFunc>(particles(), 11);
    auto set = slotEntry<ParticleSetFunc>(particles(), 15);

    void *system = create(0x1021, 0);
    void *position = buffer(system, 0x1);
    void *age = buffer(system, 0x20);
    void *enable = buffer(system, 0x1000);
    EXPECT_EQ(buffer(system, 0x1), position) << "one handle per buffer";
    EXPECT_EQ(buffer(system, 0x2), nullptr) << "not created with that flag";
    attach(system, itemId(4));
    init(system, 2);

    const float xyz[3] = {1.5f, -2.0f, 3.25f};
    const float a = 0.75f;
    const unsigned char on = 1;
    set(position, 1, xyz);
    set(age, 0, &a);
    set(enable, 1, &on);
    set(position, 2, xyz);      // beyond the count
    set(age, -1, &a);           // negative index
    set(itemId(77), 0, &a);     // not a buffer
    set(enable, 0, nullptr);    // no data

    const ParticleSystemState *state = host.particles().attachedTo(itemId(4));
    ASSERT_EQ(state, host.particles().find(system));
    EXPECT_EQ(state->bufferFlags, 0x1021);
    EXPECT_EQ(state->count, 2);
    EXPECT_EQ(state->positions[1], (std::array<float, 3>{1.5f, -2.0f, 3.25f}));
    EXPECT_EQ(state->positions[0], (std::array<float, 3>{}));
    EXPECT_EQ(state->ages[0], 0.75f);
    EXPECT_EQ(state->enabled, (std::vector<std::uint8_t>{0, 1}));
    EXPECT_EQ(host.calls().rejectedCount(), 5u); // the 0x2 buffer and four sets

    const std::vector<HostCall> sets = host.calls().ofKind(CallKind::ParticleSet);
    EXPECT_EQ(sets[0].code, 0x1);
    EXPECT_EQ(sets[0].dataSize, 12);
    EXPECT_EQ(sets[0].floats[2], 3.25f);
    EXPECT_TRUE(sets[3].rejected);

    cleanup(system);
    EXPECT_EQ(state->count, 0);
    EXPECT_TRUE(state->positions.empty());
    set(position, 0, xyz);
    EXPECT_TRUE(host.calls().calls().back().rejected) << "nothing to set after clean-up";
    init(system, -3);
    EXPECT_TRUE(host.calls().calls().back().rejected);
    cleanup(itemId(5));
    EXPECT_TRUE(host.calls().calls().back().rejected);
}

TEST_F(HostServices, WithRecordingOffCallsAreCountedNotKept) {
    host.calls().setRecording(false);
    auto create = slotEntry<ParticleCreateFunc>(particles(), 0);
    auto init = slotEntry<ParticleInitFunc>(particles(), 2);
    auto buffer = slotEntry<ParticleBufferFunc>(particles(), 11);
    auto set = slotEntry<ParticleSetFunc>(particles(), 15);
    void *first = create(0x1021, 0);
    void *second = create(0x1021, 0);
    init(first, 2);
    init(second, 2);
    // Sets that go from buffer to buffer and system to system land where they are aimed.
    const float one = 1.0f, two = 2.0f, three = 3.0f;
    const float xyz[3] = {4.0f, 5.0f, 6.0f};
    set(buffer(first, 0x20), 0, &one);
    set(buffer(second, 0x20), 0, &two);
    set(buffer(first, 0x20), 1, &three);
    set(buffer(second, 0x1), 1, xyz);
    set(buffer(second, 0x20), 5, &one); // beyond the count
    set(itemId(77), 0, &one);           // not a buffer
    EXPECT_EQ(host.particles().find(first)->ages, (std::vector<float>{1.0f, 3.0f}));
    EXPECT_EQ(host.particles().find(second)->ages, (std::vector<float>{2.0f, 0.0f}));
    EXPECT_EQ(host.particles().find(second)->positions[1], (std::array<float, 3>{4.0f, 5.0f, 6.0f}));

    host.addObject(HostObject::fixed(itemId(1), 5, {1, 2, 3}));
    auto param = slotEntry<ItemParamFunc>(lookup("LW Item Info"), 9);
    double out[3] = {};
    param(itemId(1), 8, 0.0, out);
    param(itemId(1), 1, 0.0, out); // unknown code
    param(itemId(9), 8, 0.0, out); // unknown item

    EXPECT_TRUE(host.calls().calls().empty());
    EXPECT_EQ(host.calls().count(CallKind::ParticleCreate), 2u);
    EXPECT_EQ(host.calls().count(CallKind::ParticleSet), 6u);
    EXPECT_EQ(host.calls().count(CallKind::ItemParam), 3u);
    EXPECT_EQ(host.calls().rejectedCount(), 4u);
    EXPECT_EQ(host.particles().systemCount(), 2u);
}

TEST(HostActivity, OnlyTheActiveHostIsReachedAndNoneAnswersNull) {
    GlobalFunc *lookup = nullptr;
    {
        StandinHost first;
        lookup = first.globalFunc();
        StandinHost second;
        EXPECT_EQ(StandinHost::active(), &second);
        EXPECT_EQ(lookup("LW Item Info", 0), second.serviceTable(Service::ItemInfo));
        first.makeActive();
        EXPECT_EQ(lookup("LW Item Info", 0), first.serviceTable(Service::ItemInfo));
    }
    EXPECT_EQ(StandinHost::active(), nullptr);
    EXPECT_EQ(lookup("LW Item Info", 0), nullptr);
}

} // namespace
} // namespace plix::standin
