// DisplacementHandler activation: look up the services, then hand the host
// every entry of the effect.
#include "effect/evaluation.h"
#include "effect/host_services.h"
#include "effect/instance.h"
#include "effect/simulation.h"
#include "plix/host/handler_abi.h"
#include "plix/host/slots.h"
#include "module/activation.h"
#include "persist/scene_block.h"

using plix::setSlot;

int activateHandler(int version, GlobalFunc *global, void *local, void *) noexcept {
    // Every lookup is made, in this order, even after one returns none.
    hostServices.objectInfo = global(PLIX_SERVICE_OBJECT_INFO, 0);
    hostServices.itemInfo = global(PLIX_SERVICE_ITEM_INFO, 0);
    hostServices.particles = global(PLIX_SERVICE_PARTICLES, 0);
    if (!hostServices.objectInfo || !hostServices.itemInfo || !hostServices.particles)
        return PLIX_ACTIVATE_MISSING_SERVICE;
    if (version != PLIX_INTERFACE_VERSION) return PLIX_ACTIVATE_BAD_VERSION;

    auto *record = static_cast<DisplacementHandler *>(local);
    setSlot<CreateEntry>(record->instanceTable, PLIX_INSTANCE_CREATE, createInstance);
    setSlot<DestroyEntry>(record->instanceTable, PLIX_INSTANCE_DESTROY, destroyInstance);
    setSlot<CopyEntry>(record->instanceTable, PLIX_INSTANCE_COPY, copyInstance);
    setSlot<LoadEntry>(record->instanceTable, PLIX_INSTANCE_LOAD, loadInstance);
    setSlot<SaveEntry>(record->instanceTable, PLIX_INSTANCE_SAVE, saveInstance);
    setSlot<DescribeEntry>(record->instanceTable, PLIX_INSTANCE_DESCRIBE, describeInstance);
    setSlot<UseItemsEntry>(record->itemTable, PLIX_ITEM_USE_ITEMS, useItems);
    setSlot<ChangeIdEntry>(record->itemTable, PLIX_ITEM_CHANGE_ID, changeItemIds);
    setSlot<RenderInitEntry>(record->renderTable, PLIX_RENDER_INIT, renderInit);
    setSlot<RenderCleanupEntry>(record->renderTable, PLIX_RENDER_CLEANUP, renderCleanup);
    setSlot<NewTimeEntry>(record->renderTable, PLIX_RENDER_NEW_TIME, newTime);
    record->evaluate = reinterpret_cast<void *>(static_cast<EvaluateEntry *>(evaluate));
    record->flags = reinterpret_cast<void *>(static_cast<FlagsEntry *>(displacementFlags));
    return PLIX_ACTIVATE_OK;
}
