// The effect's block of lines in the host's scene file.
#pragma once

#include "host/handler_abi.h"

const char *loadInstance(void *instance, const LoadState *state) noexcept;
const char *saveInstance(void *instance, const SaveState *state) noexcept;
