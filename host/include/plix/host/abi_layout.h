/* Compile-time checks of every record's size and field offsets. The module
 * and every host include this, on Linux (x86-64 LP64) and Windows (x64
 * LLP64) alike: int 32-bit, pointers 64-bit, natural alignment, so both
 * builds see the same layouts byte for byte. */
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

#define PLIX_CHECK_SIZE(type, size) PLIX_STATIC_ASSERT(sizeof(type) == (size), "size of " #type)
#define PLIX_CHECK_FIELD(type, field, offset) \
    PLIX_STATIC_ASSERT(offsetof(type, field) == (offset), "offset of " #type "." #field)

/* Scalars the interface is built from. */
PLIX_CHECK_SIZE(int, 4);
PLIX_CHECK_SIZE(unsigned int, 4);
PLIX_CHECK_SIZE(uint32_t, 4);
PLIX_CHECK_SIZE(void *, 8);
PLIX_CHECK_SIZE(void (*)(void), 8);
PLIX_CHECK_SIZE(double, 8);
PLIX_CHECK_SIZE(float, 4); /* particle position and age values */
PLIX_STATIC_ASSERT(sizeof(char) == 1, "particle enable value is one byte");

/* Module descriptor and server table. */
PLIX_CHECK_FIELD(ModuleDescriptor, sync, 0);
PLIX_CHECK_FIELD(ModuleDescriptor, version, 4);
PLIX_CHECK_FIELD(ModuleDescriptor, machine, 8);
PLIX_CHECK_FIELD(ModuleDescriptor, startup, 16);
PLIX_CHECK_FIELD(ModuleDescriptor, shutdown, 24);
PLIX_CHECK_FIELD(ModuleDescriptor, servers, 32);
PLIX_CHECK_SIZE(ModuleDescriptor, 40);

PLIX_CHECK_FIELD(ServerRow, className, 0);
PLIX_CHECK_FIELD(ServerRow, name, 8);
PLIX_CHECK_FIELD(ServerRow, activate, 16);
PLIX_CHECK_FIELD(ServerRow, reserved, 24);
PLIX_CHECK_SIZE(ServerRow, 32);

/* Records handed to the handler's entries. */
PLIX_CHECK_FIELD(DisplacementAccess, oldPos, 0);
PLIX_CHECK_FIELD(DisplacementAccess, newPos, 24);
PLIX_CHECK_FIELD(DisplacementAccess, pointId, 48);
PLIX_CHECK_SIZE(DisplacementAccess, 56);

PLIX_CHECK_FIELD(LoadState, unused, 0);
PLIX_CHECK_FIELD(LoadState, hostData, 8);
PLIX_CHECK_FIELD(LoadState, read, 16);
PLIX_CHECK_SIZE(LoadState, 24);

PLIX_CHECK_FIELD(SaveState, unused, 0);
PLIX_CHECK_FIELD(SaveState, hostData, 8);
PLIX_CHECK_FIELD(SaveState, write, 16);
PLIX_CHECK_SIZE(SaveState, 24);

/* Records the activations fill. */
PLIX_CHECK_FIELD(DisplacementHandler, instanceTable, 0);
PLIX_CHECK_FIELD(DisplacementHandler, itemTable, 8);
PLIX_CHECK_FIELD(DisplacementHandler, renderTable, 16);
PLIX_CHECK_FIELD(DisplacementHandler, evaluate, 24);
PLIX_CHECK_FIELD(DisplacementHandler, flags, 32);
PLIX_CHECK_SIZE(DisplacementHandler, 40);

PLIX_CHECK_FIELD(DisplacementInterface, instance, 0);
PLIX_CHECK_FIELD(DisplacementInterface, panel, 8);
PLIX_CHECK_FIELD(DisplacementInterface, options, 16);
PLIX_CHECK_FIELD(DisplacementInterface, command, 24);
PLIX_CHECK_SIZE(DisplacementInterface, 32);

/* Panel toolkit tables. */
PLIX_CHECK_FIELD(ControlRow, id, 0);
PLIX_CHECK_FIELD(ControlRow, label, 8);
PLIX_CHECK_FIELD(ControlRow, type, 16);
PLIX_CHECK_SIZE(ControlRow, 24);

PLIX_CHECK_FIELD(DataRow, id, 0);
PLIX_CHECK_FIELD(DataRow, name, 8);
PLIX_CHECK_FIELD(DataRow, type, 16);
PLIX_CHECK_SIZE(DataRow, 24);

#endif
