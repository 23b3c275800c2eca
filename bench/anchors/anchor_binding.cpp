#include "bench/anchors/anchor_binding.h"

#include <cstdint>

#include "plix/host/plugin_abi.h"
#include "plix/host/service_abi.h"
#include "plix/host/slots.h"

namespace plix::anchor {
Services services = {nullptr, nullptr, nullptr};
}

namespace {

using plix::anchor::services;

void *createEntry(void *, void *objectItem, const char **) { return plix::anchor::create(objectItem); }
void destroyEntry(void *instance) { plix::anchor::destroy(instance); }
const char *newTimeEntry(void *instance, int frame, double time) {
    plix::anchor::newTime(instance, frame, time);
    return nullptr;
}
void evaluateEntry(void *instance, DisplacementAccess *access) { plix::anchor::evaluate(instance, access); }
unsigned int flagsEntry(void *) { return PLIX_FLAG_WORLD_POSITIONS; }

int activateHandler(int version, GlobalFunc *global, void *local, void *) {
    services.objectInfo = global(PLIX_SERVICE_OBJECT_INFO, 0);
    services.itemInfo = global(PLIX_SERVICE_ITEM_INFO, 0);
    services.particles = global(PLIX_SERVICE_PARTICLES, 0);
    if (!services.objectInfo || !services.itemInfo || !services.particles) return PLIX_ACTIVATE_MISSING_SERVICE;
    if (version != PLIX_INTERFACE_VERSION) return PLIX_ACTIVATE_BAD_VERSION;
    auto *record = static_cast<DisplacementHandler *>(local);
    plix::setSlot<CreateEntry>(record->instanceTable, PLIX_INSTANCE_CREATE, createEntry);
    plix::setSlot<DestroyEntry>(record->instanceTable, PLIX_INSTANCE_DESTROY, destroyEntry);
    plix::setSlot<NewTimeEntry>(record->renderTable, PLIX_RENDER_NEW_TIME, newTimeEntry);
    record->evaluate = reinterpret_cast<void *>(static_cast<EvaluateEntry *>(evaluateEntry));
    record->flags = reinterpret_cast<void *>(static_cast<FlagsEntry *>(flagsEntry));
    return PLIX_ACTIVATE_OK;
}

// The panel: no controls to show, only the set callback.
const ControlRow noControls[] = {{0, nullptr, nullptr}};
const DataRow noData[] = {{0, nullptr, nullptr}};
void *getSetting(void *, unsigned int) { return nullptr; }
int setSetting(void *instance, unsigned int id, void *value) {
    plix::anchor::set(instance, id, value);
    return 1;
}

int activateInterface(int version, GlobalFunc *global, void *local, void *) {
    if (version != PLIX_INTERFACE_VERSION) return PLIX_ACTIVATE_BAD_VERSION;
    auto *record = static_cast<DisplacementInterface *>(local);
    const void *xpanel = global(PLIX_SERVICE_XPANEL, 0);
    record->panel = nullptr;
    if (xpanel) {
        void *panel = plix::slotEntry<XPanelCreateFunc>(xpanel, PLIX_XPANEL_CREATE)(PLIX_XPANEL_KIND_FORM,
                                                                                   noControls);
        if (panel) plix::slotEntry<XPanelDescribeFunc>(xpanel, PLIX_XPANEL_DESCRIBE)(panel, noData, getSetting,
                                                                                     setSetting);
        record->panel = panel;
    }
    record->options = nullptr;
    record->command = nullptr;
    return PLIX_ACTIVATE_OK;
}

void *startup() { return reinterpret_cast<void *>(static_cast<uintptr_t>(4)); }
void shutdown(void *) {}

const ServerRow serverTable[] = {
    {"DisplacementHandler", "PLIX!", activateHandler, nullptr},
    {"DisplacementInterface", "PLIX!", activateInterface, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

} // namespace

extern "C" {
__attribute__((visibility("default"))) ModuleDescriptor _mod_descrip = {
    PLIX_MODULE_SYNC, PLIX_MODULE_DESCRIPTOR_VERSION, PLIX_MODULE_MACHINE, startup, shutdown, serverTable,
};
}
