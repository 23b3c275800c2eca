// The "LWXPanel" toolkit, driven as a module drives it, with a small panel
// of its own: one control per data type and one without a value.
#include <gtest/gtest.h>

#include <cstdint>

#include "plix/host/slots.h"
#include "plix/standin/standin_host.h"

namespace plix::standin {
namespace {

struct Settings {
    double speed = 1.5;
    int count = 7;
    double where[3] = {1, 2, 3};
    std::vector<unsigned int> setIds;
};

constexpr unsigned int speedId = PLIX_ID4('s', 'p', 'e', 'd');
constexpr unsigned int countId = PLIX_ID4('c', 'o', 'u', 'n');
constexpr unsigned int whereId = PLIX_ID4('w', 'h', 'e', 'r');
constexpr unsigned int noneId = PLIX_ID4('n', 'o', 'n', 'e');

const ControlRow controls[] = {{speedId, "Speed", "float"},
                               {countId, "Count", "iSlider"},
                               {whereId, "Where", "float3"},
                               {noneId, "None", "iBoolean"},
                               {0, nullptr, nullptr}};
const DataRow data[] = {{speedId, "Speed", "float"},
                        {countId, "Count", "integer"},
                        {whereId, "Where", "float3"},
                        {noneId, "None", "integer"},
                        {0, nullptr, nullptr}};

void *getValue(void *instance, unsigned int id) {
    auto *s = static_cast<Settings *>(instance);
    if (id == speedId) return &s->speed;
    if (id == countId) return &s->count;
    if (id == whereId) return s->where;
    return nullptr;
}

int setValue(void *instance, unsigned int id, void *value) {
    auto *s = static_cast<Settings *>(instance);
    s->setIds.push_back(id);
    if (id == speedId) s->speed = *static_cast<double *>(value);
    if (id == countId) s->count = *static_cast<int *>(value);
    if (id == whereId) {
        const auto *v = static_cast<double *>(value);
        s->where[0] = v[0];
        s->where[1] = v[1];
        s->where[2] = v[2];
    }
    return 1;
}

class PanelToolkitTest : public ::testing::Test {
protected:
    // Builds the panel the way the module does, step by step.
    void *build() {
        const void *xpanel = host.globalFunc()("LWXPanel", 0);
        void *panel = slotEntry<XPanelCreateFunc>(xpanel, 2)(1, controls);
        if (!panel) return nullptr;
        slotEntry<XPanelDescribeFunc>(xpanel, 4)(panel, data, getValue, setValue);
        slotEntry<XPanelInstanceFunc>(xpanel, 10)(panel, &settings);
        slotEntry<XPanelHintFunc>(xpanel, 7)(panel, 0, &settings);
        void *holder = &settings;
        slotEntry<XPanelUserDataFunc>(xpanel, 9)(panel, PLIX_ID4('p', 'l', 'i', 'x'), &holder);
        holderAddress = reinterpret_cast<std::uintptr_t>(&holder); // gone after build: the toolkit must have copied it
        return panel;
    }

    StandinHost host;
    Settings settings;
    std::uintptr_t holderAddress = 0; // an address only, never read through
};

TEST_F(PanelToolkitTest, KeepsTablesCallbacksAndInstance) {
    void *panel = build();
    const PanelState *state = host.panels().find(panel);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->kind, 1);
    EXPECT_EQ(state->controlTable, controls);
    EXPECT_EQ(state->dataTable, data);
    ASSERT_EQ(state->controls.size(), 4u);
    EXPECT_EQ(state->controls[1].type, "iSlider");
    EXPECT_EQ(state->data[1].type, "integer");
    EXPECT_EQ(state->instance, &settings);
    ASSERT_EQ(state->hints.size(), 1u);
    EXPECT_EQ(state->hints[0], (std::pair<unsigned int, void *>{0u, &settings}));
    ASSERT_EQ(state->userData.size(), 1u);
    EXPECT_EQ(state->userData[0].id, PLIX_ID4('p', 'l', 'i', 'x'));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(state->userData[0].address), holderAddress);
    EXPECT_EQ(state->userData[0].valueAtCall, &settings);

    std::vector<CallKind> kinds;
    for (const HostCall &call : host.calls().calls()) kinds.push_back(call.kind);
    EXPECT_EQ(kinds, (std::vector<CallKind>{CallKind::Lookup, CallKind::PanelCreate, CallKind::PanelDescribe,
                                            CallKind::PanelInstance, CallKind::PanelHint, CallKind::PanelUserData}));
    EXPECT_EQ(host.calls().calls().back().instance, &settings);
}

TEST_F(PanelToolkitTest, ListsControlsWithTheValuesTheyShowByDataType) {
    void *panel = build();
    const std::vector<PanelControl> list = host.panels().listControls(panel);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].label, "Speed");
    EXPECT_EQ(list[0].value, PanelValue(1.5));
    EXPECT_EQ(list[1].controlType, "iSlider");
    EXPECT_EQ(list[1].dataType, "integer");
    EXPECT_EQ(list[1].value, PanelValue(7));
    EXPECT_EQ(list[2].value, PanelValue(geometry::Vec3{1, 2, 3}));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(list[3].value)) << "null address: no value";
}

TEST_F(PanelToolkitTest, EntersValuesConvertedToTheDataType) {
    void *panel = build();
    PanelToolkit &panels = host.panels();
    EXPECT_EQ(panels.enterValue(panel, speedId, PanelValue(2)), 1);
    EXPECT_EQ(settings.speed, 2.0);
    EXPECT_EQ(panels.enterValue(panel, countId, PanelValue(-3.9)), 1);
    EXPECT_EQ(settings.count, -3);
    EXPECT_EQ(panels.enterValue(panel, countId, PanelValue(1e300)), 1);
    EXPECT_EQ(settings.count, 2147483647);
    EXPECT_EQ(panels.enterValue(panel, whereId, PanelValue(geometry::Vec3{4, 5, 6})), 1);
    EXPECT_EQ(panels.readValue(panel, whereId), PanelValue(geometry::Vec3{4, 5, 6}));
    EXPECT_EQ(panels.enterValue(panel, noneId, PanelValue(1)), 1);

    const size_t calls = settings.setIds.size();
    EXPECT_FALSE(panels.enterValue(panel, whereId, PanelValue(1.0))) << "a single number for three";
    EXPECT_FALSE(panels.enterValue(panel, speedId, PanelValue(geometry::Vec3{})));
    EXPECT_FALSE(panels.enterValue(panel, PLIX_ID4('n', 'o', 'p', 'e'), PanelValue(1)));
    EXPECT_FALSE(panels.enterValue(itemId(5), speedId, PanelValue(1.0)));
    EXPECT_EQ(settings.setIds.size(), calls) << "refused values make no call";
}

TEST_F(PanelToolkitTest, CanBeToldToFailCreation) {
    host.panels().setCreateFails(true);
    EXPECT_EQ(build(), nullptr);
    EXPECT_EQ(host.panels().latest(), nullptr);
    EXPECT_EQ(host.calls().calls().back().kind, CallKind::PanelCreate);
    EXPECT_EQ(host.calls().calls().back().panel, nullptr);
}

TEST_F(PanelToolkitTest, CallsNamingAnUnknownPanelAreRefused) {
    const void *xpanel = host.globalFunc()("LWXPanel", 0);
    slotEntry<XPanelDescribeFunc>(xpanel, 4)(itemId(3), data, getValue, setValue);
    slotEntry<XPanelInstanceFunc>(xpanel, 10)(itemId(3), &settings);
    EXPECT_EQ(host.calls().rejectedCount(), 2u);
    EXPECT_TRUE(host.panels().listControls(itemId(3)).empty());
}

} // namespace
} // namespace plix::standin
