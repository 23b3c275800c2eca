// The DisplacementHandler activation: its results, what it writes into the
// host's record and tables, and the service lookups it makes.
#include "module_fixture.h"

namespace plix::test {
namespace {

void *const sentinel = reinterpret_cast<void *>(0x5e5e5e5e);

struct ActivationCase {
    const char *name;
    int version;
    bool withholdObjectInfo;
    bool withholdParticles;
    int expected;
};
void PrintTo(const ActivationCase &c, std::ostream *os) { *os << c.name; }

class HandlerActivation : public ::testing::TestWithParam<ActivationCase> {
protected:
    void SetUp() override { ASSERT_TRUE(module.open(PLIX_MODULE_PATH)) << module.errorText(); }

    // Fills every slot the module may write with a sentinel.
    void prefill() {
        effect.instanceTable().fill(sentinel);
        effect.itemTable().fill(sentinel);
        effect.renderTable().fill(sentinel);
        effect.record().evaluate = sentinel;
        effect.record().flags = sentinel;
    }

    StandinHost host;
    ModuleFile module;
    HandlerServer effect{module, host};
};

TEST_P(HandlerActivation, ResultAndWhatIsWritten) {
    const ActivationCase &c = GetParam();
    if (c.withholdObjectInfo) host.withhold(Service::ObjectInfo);
    if (c.withholdParticles) host.withhold(Service::Particles);
    prefill();
    EXPECT_EQ(effect.activate(c.version), c.expected);

    EXPECT_EQ(effect.instanceTable()[0], sentinel) << "slot 0 is never written";
    const bool written = c.expected == PLIX_ACTIVATE_OK;
    auto check = [&](void *slot, const char *what) {
        if (written) {
            EXPECT_NE(slot, sentinel) << what;
            EXPECT_NE(slot, nullptr) << what;
        } else {
            EXPECT_EQ(slot, sentinel) << what;
        }
    };
    for (int slot = 1; slot < PLIX_INSTANCE_TABLE_SLOTS; ++slot) check(effect.instanceTable()[slot], "instance");
    for (void *slot : effect.itemTable()) check(slot, "item");
    for (void *slot : effect.renderTable()) check(slot, "render");
    check(effect.record().evaluate, "evaluate");
    check(effect.record().flags, "flags");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandlerActivation,
    ::testing::Values(ActivationCase{"Version4", 4, false, false, PLIX_ACTIVATE_OK},
                      ActivationCase{"Version3", 3, false, false, PLIX_ACTIVATE_BAD_VERSION},
                      ActivationCase{"Version5", 5, false, false, PLIX_ACTIVATE_BAD_VERSION},
                      ActivationCase{"Version3NoParticles", 3, false, true, PLIX_ACTIVATE_MISSING_SERVICE},
                      ActivationCase{"Version4NoObjectInfo", 4, true, false, PLIX_ACTIVATE_MISSING_SERVICE}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(HandlerActivation, LooksUpTheThreeServicesInOrderEvenWhenOneIsMissing) {
    host.withhold(Service::ObjectInfo);
    EXPECT_EQ(effect.activate(4), PLIX_ACTIVATE_MISSING_SERVICE);
    const std::vector<HostCall> lookups = host.calls().ofKind(CallKind::Lookup);
    ASSERT_EQ(lookups.size(), 3u);
    const char *expected[] = {"LW Object Info", "LW Item Info", "Particle Services"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lookups[i].name, expected[i]);
        EXPECT_EQ(lookups[i].code, 0);
    }
    EXPECT_EQ(lookups[0].pointer, nullptr);
    EXPECT_NE(lookups[1].pointer, nullptr);
    EXPECT_EQ(host.calls().calls().size(), 3u) << "activation calls nothing but the lookups";
}

TEST_F(HandlerActivation, LaterActivationReplacesTheServiceReferences) {
    // A failed activation leaves the module holding a null reference; a
    // successful one afterwards must make the effect usable again.
    host.withhold(Service::Particles);
    EXPECT_EQ(effect.activate(4), PLIX_ACTIVATE_MISSING_SERVICE);
    host.offer(Service::Particles);
    ASSERT_EQ(effect.activate(4), PLIX_ACTIVATE_OK);
    host.addObject(HostObject::fixed(itemId(1), 2));
    void *instance = effect.create(itemId(1));
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(host.calls().count(CallKind::ParticleCreate), 1u);
    effect.destroy(instance);
}

} // namespace
} // namespace plix::test
