// The DisplacementInterface activation and buildPanel as the toolkit sees
// them: the tables, the calls, and what a failing or missing toolkit gives.
#include <cstring>

#include "panel_fixture.h"

namespace plix::test {
namespace {

void *const sentinel = reinterpret_cast<void *>(0x5e5e5e5e);

struct Row {
    const char *id;
    const char *label;
    const char *controlType;
    const char *dataType;
};

constexpr Row expectedRows[12] = {
    {"vmin", "v0 min", "float", "float"},
    {"vmax", "v0 max", "float", "float"},
    {"spmn", "Spread min", "iSlider", "integer"},
    {"spmx", "Spread max", "iSlider", "integer"},
    {"agmn", "Age min", "integer", "integer"},
    {"agmx", "Age max", "integer", "integer"},
    {"grav", "Gravity", "float", "float"},
    {"recy", "Recycle?", "iBoolean", "integer"},
    {"rate", "BirthRate p/s", "integer", "integer"},
    {"sprk", "Spark_frame", "integer", "integer"},
    {"avoi", "Avoid_Pos", "float3", "float3"},
    {"lkag", "LinkAge", "iBoolean", "integer"},
};

using PanelBuild = PanelTest;

TEST_F(PanelBuild, TablesAsTheToolkitReceivesThem) {
    void *instance = create(itemId(1), 4);
    const PanelState *state = host.panels().find(openPanel(instance));
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->kind, 1);
    ASSERT_EQ(state->controls.size(), 12u);
    ASSERT_EQ(state->data.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        const Row &row = expectedRows[i];
        SCOPED_TRACE(row.id);
        EXPECT_EQ(state->controls[i].id, panelId(row.id));
        EXPECT_EQ(state->controls[i].label, row.label);
        EXPECT_EQ(state->controls[i].type, row.controlType);
        EXPECT_EQ(state->data[i].id, panelId(row.id));
        EXPECT_EQ(state->data[i].label, row.label);
        EXPECT_EQ(state->data[i].type, row.dataType);
    }
    EXPECT_EQ(panelId("vmin"), 0x766D696Eu);
    // The rows that end the tables are all zero, not only their identifier.
    const ControlRow &controlEnd = state->controlTable[12];
    EXPECT_TRUE(controlEnd.id == 0 && !controlEnd.label && !controlEnd.type);
    const DataRow &dataEnd = state->dataTable[12];
    EXPECT_TRUE(dataEnd.id == 0 && !dataEnd.name && !dataEnd.type);
}

TEST_F(PanelBuild, CallsTheToolkitInOrder) {
    void *instance = create(itemId(1), 4);
    host.calls().clear();
    const InterfaceActivation activation = panelServer.activate(instance, 4, sentinel);
    EXPECT_EQ(activation.result, PLIX_ACTIVATE_OK);
    EXPECT_EQ(activation.record.instance, instance);
    EXPECT_EQ(activation.record.options, nullptr);
    EXPECT_EQ(activation.record.command, nullptr);
    void *panel = activation.record.panel;
    const PanelState *state = host.panels().find(panel);
    ASSERT_NE(state, nullptr);

    const std::vector<HostCall> &calls = host.calls().calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].kind, CallKind::Lookup);
    EXPECT_EQ(calls[0].name, "LWXPanel");
    EXPECT_EQ(calls[0].code, 0);

    EXPECT_EQ(calls[1].kind, CallKind::PanelCreate);
    EXPECT_EQ(calls[1].code, 1);
    EXPECT_EQ(calls[1].panel, panel);
    EXPECT_EQ(calls[1].pointer, state->controlTable);

    EXPECT_EQ(calls[2].kind, CallKind::PanelDescribe);
    EXPECT_EQ(calls[2].pointer, state->dataTable);
    EXPECT_NE(state->get, nullptr);
    EXPECT_NE(state->set, nullptr);

    EXPECT_EQ(calls[3].kind, CallKind::PanelInstance);
    EXPECT_EQ(calls[3].pointer, instance);

    EXPECT_EQ(calls[4].kind, CallKind::PanelHint);
    EXPECT_EQ(calls[4].id, 0u);
    EXPECT_EQ(calls[4].pointer, instance);

    EXPECT_EQ(calls[5].kind, CallKind::PanelUserData);
    EXPECT_EQ(calls[5].id, panelId("plix"));
    EXPECT_EQ(calls[5].instance, instance);

    for (size_t i = 1; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].panel, panel) << i;
        EXPECT_FALSE(calls[i].rejected) << i;
    }
}

TEST_F(PanelBuild, KeptInstanceAddressOutlivesTheActivation) {
    void *first = create(itemId(1), 4);
    void *second = create(itemId(2), 4);
    const PanelState *state = host.panels().find(openPanel(first));
    ASSERT_NE(state, nullptr);
    ASSERT_EQ(state->userData.size(), 1u);
    // Another panel and some edits reuse the stack the first build ran on.
    openPanel(second);
    const void *panel = host.panels().latest();
    enter(panel, "grav", 2.0);
    host.panels().listControls(panel);
    EXPECT_EQ(*state->userData[0].address, first);
    EXPECT_NE(host.panels().latest()->userData[0].address, state->userData[0].address);
}

TEST_F(PanelBuild, OtherVersionsAreRefusedUntouched) {
    void *instance = create(itemId(1), 4);
    for (int version : {3, 5}) {
        host.calls().clear();
        const InterfaceActivation activation = panelServer.activate(instance, version, sentinel);
        EXPECT_EQ(activation.result, PLIX_ACTIVATE_BAD_VERSION) << version;
        EXPECT_EQ(activation.record.instance, instance);
        EXPECT_EQ(activation.record.panel, sentinel);
        EXPECT_EQ(activation.record.options, sentinel);
        EXPECT_EQ(activation.record.command, sentinel);
        EXPECT_TRUE(host.calls().calls().empty()) << version;
    }
    EXPECT_TRUE(host.panels().panels().empty());
}

// Whatever stops the build, the activation succeeds with an empty record.
struct NoPanelCase {
    const char *name;
    bool createFails;
    bool noToolkit;
    bool noInstance;
    std::vector<CallKind> calls;
};
void PrintTo(const NoPanelCase &c, std::ostream *os) { *os << c.name; }

class PanelNotBuilt : public PanelTest, public ::testing::WithParamInterface<NoPanelCase> {};

TEST_P(PanelNotBuilt, ActivationSucceedsWithoutPanel) {
    const NoPanelCase &c = GetParam();
    void *instance = c.noInstance ? nullptr : create(itemId(1), 4);
    host.panels().setCreateFails(c.createFails);
    if (c.noToolkit) host.withhold(Service::XPanel);
    host.calls().clear();
    const InterfaceActivation activation = panelServer.activate(instance, 4, sentinel);
    EXPECT_EQ(activation.result, PLIX_ACTIVATE_OK);
    EXPECT_EQ(activation.record.panel, nullptr);
    EXPECT_EQ(activation.record.options, nullptr);
    EXPECT_EQ(activation.record.command, nullptr);
    std::vector<CallKind> kinds;
    for (const HostCall &call : host.calls().calls()) kinds.push_back(call.kind);
    EXPECT_EQ(kinds, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PanelNotBuilt,
    ::testing::Values(NoPanelCase{"CreateFails", true, false, false, {CallKind::Lookup, CallKind::PanelCreate}},
                      NoPanelCase{"NoToolkitService", false, true, false, {CallKind::Lookup}},
                      NoPanelCase{"NoInstance", false, false, true, {}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace plix::test
