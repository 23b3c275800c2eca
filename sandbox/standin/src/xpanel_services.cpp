// "LWXPanel": the panel toolkit's entries, kept in the host's toolkit.
#include "plix/host/slots.h"
#include "plix/standin/standin_host.h"
#include "service_tables.h"

namespace plix::standin::detail {
namespace {

HostCall panelCall(CallKind kind, int slot, void *panel) {
    HostCall call;
    call.kind = kind;
    call.service = Service::XPanel;
    call.slot = slot;
    call.panel = panel;
    return call;
}

void *createPanel(int kind, const ControlRow *controls) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return nullptr;
    auto guard = host->lock();
    void *panel = host->panels().create(kind, controls);
    HostCall call = panelCall(CallKind::PanelCreate, PLIX_XPANEL_CREATE, panel);
    call.code = kind;
    call.pointer = const_cast<ControlRow *>(controls);
    host->calls().add(std::move(call));
    return panel;
}

void describePanel(void *panel, const DataRow *data, XPanelGetFunc *get, XPanelSetFunc *set) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return;
    auto guard = host->lock();
    HostCall call = panelCall(CallKind::PanelDescribe, PLIX_XPANEL_DESCRIBE, panel);
    call.pointer = const_cast<DataRow *>(data);
    call.rejected = !host->panels().describe(panel, data, get, set);
    host->calls().add(std::move(call));
}

void hintPanel(void *panel, unsigned int id, void *instance) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return;
    auto guard = host->lock();
    HostCall call = panelCall(CallKind::PanelHint, PLIX_XPANEL_HINT, panel);
    call.id = id;
    call.pointer = instance;
    call.rejected = !host->panels().hint(panel, id, instance);
    host->calls().add(std::move(call));
}

void panelUserData(void *panel, unsigned int id, void *address) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return;
    auto guard = host->lock();
    HostCall call = panelCall(CallKind::PanelUserData, PLIX_XPANEL_USER_DATA, panel);
    call.id = id;
    call.pointer = address;
    call.rejected = !host->panels().userData(panel, id, static_cast<void *const *>(address), &call.instance);
    host->calls().add(std::move(call));
}

void panelInstance(void *panel, void *instance) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return;
    auto guard = host->lock();
    HostCall call = panelCall(CallKind::PanelInstance, PLIX_XPANEL_INSTANCE, panel);
    call.pointer = instance;
    call.rejected = !host->panels().setInstance(panel, instance);
    host->calls().add(std::move(call));
}

} // namespace

void fillXPanelTable(std::array<void *, PLIX_XPANEL_SLOTS> &table) {
    setSlot<XPanelCreateFunc>(table.data(), PLIX_XPANEL_CREATE, createPanel);
    setSlot<XPanelDescribeFunc>(table.data(), PLIX_XPANEL_DESCRIBE, describePanel);
    setSlot<XPanelHintFunc>(table.data(), PLIX_XPANEL_HINT, hintPanel);
    setSlot<XPanelUserDataFunc>(table.data(), PLIX_XPANEL_USER_DATA, panelUserData);
    setSlot<XPanelInstanceFunc>(table.data(), PLIX_XPANEL_INSTANCE, panelInstance);
}

} // namespace plix::standin::detail
