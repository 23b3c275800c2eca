// The settings panel built with the host's panel toolkit.
#pragma once

#include "host/plugin_abi.h"
#include "host/service_abi.h"

// Builds the panel for `instance`; none when the toolkit cannot.
void *buildPanel(GlobalFunc *global, void *instance) noexcept;
void *getSetting(void *instance, unsigned int id) noexcept;
int setSetting(void *instance, unsigned int id, void *value) noexcept;
