// DisplacementInterface activation: build the settings panel for an instance.
#include "plix/host/handler_abi.h"
#include "module/activation.h"
#include "panel/panel.h"

int activateInterface(int version, GlobalFunc *global, void *local, void *) noexcept {
    if (version != PLIX_INTERFACE_VERSION) return PLIX_ACTIVATE_BAD_VERSION;
    auto *record = static_cast<DisplacementInterface *>(local);
    record->panel = buildPanel(global, record->instance);
    record->options = nullptr;
    record->command = nullptr;
    return PLIX_ACTIVATE_OK;
}
