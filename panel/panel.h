// The settings panel built with the host's "LWXPanel" toolkit: a thin view
// over one instance's settings. The module keeps no panel state of its own.
#pragma once

#include "plix/host/plugin_abi.h"
#include "plix/host/service_abi.h"

// Twelve rows, then an all-zero row; same identifiers in the same order.
extern const ControlRow controlTable[13];
extern const DataRow dataTable[13];

// Builds the panel for `instance`; none when the toolkit is missing or
// cannot create one.
void *buildPanel(GlobalFunc *global, void *instance) noexcept;

// Toolkit callbacks. getSetting returns the address of the value a control
// shows (each pair of bounds sorted), or none; setSetting stores unchecked,
// redraws launch data for the bounds, and always returns 1.
void *getSetting(void *instance, unsigned int id) noexcept;
int setSetting(void *instance, unsigned int id, void *value) noexcept;
