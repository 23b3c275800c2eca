// Builds one panel over an instance with the host's "LWXPanel" toolkit.
#include "effect/spark_types.h"
#include "plix/host/slots.h"
#include "panel/panel.h"
#include "panel/panel_ids.h"

using plix::slotEntry;

void *buildPanel(GlobalFunc *global, void *instance) noexcept {
    if (!global || !instance) return nullptr;
    // Looked up anew for every panel; a host without the toolkit gets none.
    const void *xpanel = global(PLIX_SERVICE_XPANEL, 0);
    if (!xpanel) return nullptr;

    void *panel = slotEntry<XPanelCreateFunc>(xpanel, PLIX_XPANEL_CREATE)(PLIX_XPANEL_KIND_FORM,
                                                                          controlTable);
    if (!panel) return nullptr;

    slotEntry<XPanelDescribeFunc>(xpanel, PLIX_XPANEL_DESCRIBE)(panel, dataTable, getSetting,
                                                                setSetting);
    slotEntry<XPanelInstanceFunc>(xpanel, PLIX_XPANEL_INSTANCE)(panel, instance);
    slotEntry<XPanelHintFunc>(xpanel, PLIX_XPANEL_HINT)(panel, 0, instance);

    // The toolkit may keep this address as long as the panel lives, so the
    // variable lives in the instance, not on this stack frame.
    auto *inst = static_cast<EffectInstance *>(instance);
    inst->panelSelf = instance;
    slotEntry<XPanelUserDataFunc>(xpanel, PLIX_XPANEL_USER_DATA)(panel, plix::panel::idUserData,
                                                                 &inst->panelSelf);
    return panel;
}
