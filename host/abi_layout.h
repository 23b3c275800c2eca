/* Compile-time checks of every record's layout (x86-64 LP64 and Windows x64
 * alike: int 32-bit, pointers 64-bit, natural alignment). */
#ifndef PLIX_HOST_ABI_LAYOUT_H
#define PLIX_HOST_ABI_LAYOUT_H

#include <stddef.h>

#include "plugin_abi.h"
#include "handler_abi.h"
#include "service_abi.h"

#ifdef __cplusplus
#define PLIX_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define PLIX_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

PLIX_STATIC_ASSERT(sizeof(int) == 4, "int is 32-bit");
PLIX_STATIC_ASSERT(sizeof(void *) == 8, "pointers are 64-bit");
PLIX_STATIC_ASSERT(sizeof(double) == 8, "double is 64-bit");

PLIX_STATIC_ASSERT(offsetof(ModuleDescriptor, startup) == 16, "descriptor startup");
PLIX_STATIC_ASSERT(offsetof(ModuleDescriptor, shutdown) == 24, "descriptor shutdown");
PLIX_STATIC_ASSERT(offsetof(ModuleDescriptor, servers) == 32, "descriptor servers");
PLIX_STATIC_ASSERT(sizeof(ModuleDescriptor) == 40, "descriptor size");

PLIX_STATIC_ASSERT(offsetof(ServerRow, activate) == 16, "server row activate");
PLIX_STATIC_ASSERT(sizeof(ServerRow) == 32, "server row size");

PLIX_STATIC_ASSERT(offsetof(DisplacementAccess, newPos) == 24, "access newPos");
PLIX_STATIC_ASSERT(offsetof(DisplacementAccess, pointId) == 48, "access pointId");

PLIX_STATIC_ASSERT(offsetof(LoadState, hostData) == 8, "load state hostData");
PLIX_STATIC_ASSERT(offsetof(LoadState, read) == 16, "load state read");
PLIX_STATIC_ASSERT(sizeof(LoadState) == 24, "load state size");
PLIX_STATIC_ASSERT(offsetof(SaveState, hostData) == 8, "save state hostData");
PLIX_STATIC_ASSERT(offsetof(SaveState, write) == 16, "save state write");
PLIX_STATIC_ASSERT(sizeof(SaveState) == 24, "save state size");

PLIX_STATIC_ASSERT(offsetof(DisplacementHandler, itemTable) == 8, "handler itemTable");
PLIX_STATIC_ASSERT(offsetof(DisplacementHandler, renderTable) == 16, "handler renderTable");
PLIX_STATIC_ASSERT(offsetof(DisplacementHandler, evaluate) == 24, "handler evaluate");
PLIX_STATIC_ASSERT(offsetof(DisplacementHandler, flags) == 32, "handler flags");
PLIX_STATIC_ASSERT(sizeof(DisplacementHandler) == 40, "handler size");

PLIX_STATIC_ASSERT(offsetof(DisplacementInterface, panel) == 8, "interface panel");
PLIX_STATIC_ASSERT(offsetof(DisplacementInterface, options) == 16, "interface options");
PLIX_STATIC_ASSERT(offsetof(DisplacementInterface, command) == 24, "interface command");
PLIX_STATIC_ASSERT(sizeof(DisplacementInterface) == 32, "interface size");

PLIX_STATIC_ASSERT(offsetof(ControlRow, label) == 8, "control row label");
PLIX_STATIC_ASSERT(offsetof(ControlRow, type) == 16, "control row type");
PLIX_STATIC_ASSERT(sizeof(ControlRow) == 24, "control row size");
PLIX_STATIC_ASSERT(sizeof(DataRow) == 24, "data row size");

#endif
