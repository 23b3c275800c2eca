// Per-point displacement: hands out the simulated positions in spark order.
#pragma once

#include "plix/host/handler_abi.h"

void evaluate(void *instance, DisplacementAccess *access) noexcept;
unsigned int displacementFlags(void *instance) noexcept;
