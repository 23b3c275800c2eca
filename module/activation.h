// Activation entries of the module's two servers.
#pragma once

#include "plix/host/plugin_abi.h"

int activateHandler(int version, GlobalFunc *global, void *local, void *serverData) noexcept;
int activateInterface(int version, GlobalFunc *global, void *local, void *serverData) noexcept;
