// What the two benchmark anchor modules share: the module descriptor, both
// activations and a panel whose set callback stores the settings the
// benchmarks edit. Each anchor supplies the effect entries below; the host
// loads it through _mod_descrip as it loads plix6.p.
#pragma once

#include "plix/host/handler_abi.h"

namespace plix::anchor {

// The services the handler activation looked up.
struct Services {
    const void *objectInfo;
    const void *itemInfo;
    const void *particles;
};
extern Services services;

// The anchor's own entries.
void *create(void *objectItem) noexcept;
void destroy(void *instance) noexcept;
void newTime(void *instance, int frame, double time) noexcept;
void evaluate(void *instance, DisplacementAccess *access) noexcept;
// A panel edit: `value` points at a double, an int or three doubles.
void set(void *instance, unsigned int id, const void *value) noexcept;

} // namespace plix::anchor
