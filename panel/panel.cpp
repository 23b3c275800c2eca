// Placeholder until the settings panel lands.
#include "panel/panel.h"

void *buildPanel(GlobalFunc *, void *) noexcept { return nullptr; }
void *getSetting(void *, unsigned int) noexcept { return nullptr; }
int setSetting(void *, unsigned int, void *) noexcept { return 1; }
