// buildPanel and the DisplacementInterface activation against a fake
// "LWXPanel" toolkit that records every call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/handler_abi.h"
#include "module/activation.h"
#include "panel/panel.h"
#include "panel_test_instance.h"

namespace {

using panel_test::TestInstance;

struct Call {
    std::string what;
    void *panel = nullptr;
    int kind = 0;
    unsigned int id = 0;
    const void *table = nullptr;
    void *get = nullptr;
    void *set = nullptr;
    void *instance = nullptr;
    void **userData = nullptr;
};

struct FakeToolkit {
    std::vector<Call> calls;
    std::vector<std::string> lookups;
    bool offered = true;
    bool createFails = false;
    void *slots[PLIX_XPANEL_SLOTS] = {};
    int panelToken = 0;
};
FakeToolkit *fake = nullptr;

void *fakeCreate(int kind, const ControlRow *controls) {
    Call c{"create"};
    c.kind = kind;
    c.table = controls;
    fake->calls.push_back(c);
    return fake->createFails ? nullptr : &fake->panelToken;
}
void fakeDescribe(void *panel, const DataRow *data, XPanelGetFunc *get, XPanelSetFunc *set) {
    Call c{"describe", panel};
    c.table = data;
    c.get = reinterpret_cast<void *>(get);
    c.set = reinterpret_cast<void *>(set);
    fake->calls.push_back(c);
}
void fakeInstance(void *panel, void *instance) {
    Call c{"instance", panel};
    c.instance = instance;
    fake->calls.push_back(c);
}
void fakeHint(void *panel, unsigned int id, void *instance) {
    Call c{"hint", panel};
    c.id = id;
    c.instance = instance;
    fake->calls.push_back(c);
}
void fakeUserData(void *panel, unsigned int id, void *address) {
    Call c{"userData", panel};
    c.id = id;
    c.userData = static_cast<void **>(address);
    fake->calls.push_back(c);
}

void *fakeGlobal(const char *name, int useCode) {
    fake->lookups.push_back(std::string(name) + "/" + std::to_string(useCode));
    if (!fake->offered || std::string(name) != PLIX_SERVICE_XPANEL) return nullptr;
    return fake->slots;
}

class PanelBuild : public ::testing::Test {
protected:
    FakeToolkit toolkit;
    TestInstance target{3};

    void SetUp() override {
        // Unused slots stay null: a call through one of them would crash.
        toolkit.slots[PLIX_XPANEL_CREATE] = reinterpret_cast<void *>(fakeCreate);
        toolkit.slots[PLIX_XPANEL_DESCRIBE] = reinterpret_cast<void *>(fakeDescribe);
        toolkit.slots[PLIX_XPANEL_INSTANCE] = reinterpret_cast<void *>(fakeInstance);
        toolkit.slots[PLIX_XPANEL_HINT] = reinterpret_cast<void *>(fakeHint);
        toolkit.slots[PLIX_XPANEL_USER_DATA] = reinterpret_cast<void *>(fakeUserData);
        fake = &toolkit;
    }
    void TearDown() override { fake = nullptr; }
};

TEST_F(PanelBuild, CallsTheToolkitInOrder) {
    void *panel = buildPanel(fakeGlobal, target.handle());
    ASSERT_EQ(panel, &toolkit.panelToken);
    EXPECT_EQ(toolkit.lookups, std::vector<std::string>{"LWXPanel/0"});
    const auto &calls = toolkit.calls;
    ASSERT_EQ(calls.size(), 5u);

    EXPECT_EQ(calls[0].what, "create");
    EXPECT_EQ(calls[0].kind, 1);
    EXPECT_EQ(calls[0].table, controlTable);

    EXPECT_EQ(calls[1].what, "describe");
    EXPECT_EQ(calls[1].table, dataTable);
    EXPECT_EQ(calls[1].get, reinterpret_cast<void *>(static_cast<XPanelGetFunc *>(getSetting)));
    EXPECT_EQ(calls[1].set, reinterpret_cast<void *>(static_cast<XPanelSetFunc *>(setSetting)));

    EXPECT_EQ(calls[2].what, "instance");
    EXPECT_EQ(calls[2].instance, target.handle());

    EXPECT_EQ(calls[3].what, "hint");
    EXPECT_EQ(calls[3].id, 0u);
    EXPECT_EQ(calls[3].instance, target.handle());

    EXPECT_EQ(calls[4].what, "userData");
    EXPECT_EQ(calls[4].id, 0x706C6978u); // 'plix'
    // The variable lives in the instance, so it outlives the call.
    EXPECT_EQ(calls[4].userData, &target.inst.panelSelf);
    EXPECT_EQ(*calls[4].userData, target.handle());

    for (size_t i = 1; i < calls.size(); ++i) EXPECT_EQ(calls[i].panel, panel) << calls[i].what;
}

TEST_F(PanelBuild, EachPanelLooksTheToolkitUpAgain) {
    buildPanel(fakeGlobal, target.handle());
    buildPanel(fakeGlobal, target.handle());
    EXPECT_EQ(toolkit.lookups.size(), 2u);
}

TEST_F(PanelBuild, FailedCreateStopsThere) {
    toolkit.createFails = true;
    EXPECT_EQ(buildPanel(fakeGlobal, target.handle()), nullptr);
    ASSERT_EQ(toolkit.calls.size(), 1u);
    EXPECT_EQ(toolkit.calls[0].what, "create");
}

TEST_F(PanelBuild, MissingToolkitOrInstanceBuildsNothing) {
    toolkit.offered = false;
    EXPECT_EQ(buildPanel(fakeGlobal, target.handle()), nullptr);
    EXPECT_TRUE(toolkit.calls.empty());
    toolkit.offered = true;
    EXPECT_EQ(buildPanel(fakeGlobal, nullptr), nullptr);
    EXPECT_EQ(buildPanel(nullptr, target.handle()), nullptr);
    EXPECT_TRUE(toolkit.calls.empty());
}

void *const sentinel = reinterpret_cast<void *>(0x5A5A);

DisplacementInterface recordFor(TestInstance &t) { return {t.handle(), sentinel, sentinel, sentinel}; }

TEST_F(PanelBuild, ActivationFillsTheRecord) {
    DisplacementInterface record = recordFor(target);
    EXPECT_EQ(activateInterface(4, fakeGlobal, &record, nullptr), 0);
    EXPECT_EQ(record.instance, target.handle());
    EXPECT_EQ(record.panel, &toolkit.panelToken);
    EXPECT_EQ(record.options, nullptr);
    EXPECT_EQ(record.command, nullptr);
}

TEST_F(PanelBuild, ActivationWithoutPanelStillSucceeds) {
    for (bool missing : {false, true}) {
        toolkit.createFails = !missing;
        toolkit.offered = !missing;
        DisplacementInterface record = recordFor(target);
        EXPECT_EQ(activateInterface(4, fakeGlobal, &record, nullptr), 0);
        EXPECT_EQ(record.panel, nullptr);
        EXPECT_EQ(record.options, nullptr);
        EXPECT_EQ(record.command, nullptr);
    }
}

TEST_F(PanelBuild, OtherVersionsAreRefusedUntouched) {
    for (int version : {3, 5}) {
        DisplacementInterface record = recordFor(target);
        EXPECT_EQ(activateInterface(version, fakeGlobal, &record, nullptr), 1);
        EXPECT_EQ(record.instance, target.handle());
        EXPECT_EQ(record.panel, sentinel);
        EXPECT_EQ(record.options, sentinel);
        EXPECT_EQ(record.command, sentinel);
    }
    EXPECT_TRUE(toolkit.lookups.empty());
    EXPECT_TRUE(toolkit.calls.empty());
}

} // namespace
