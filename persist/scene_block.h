// The effect's block of lines in the host's scene file: the load and save
// entries of the instance table.
#pragma once

#include "host/handler_abi.h"

// Longest block the load entry reads after its opening line; a stream that
// never ends is taken as ending there.
constexpr int maxSceneBlockLines = 4096;

const char *loadInstance(void *instance, const LoadState *state) noexcept;
const char *saveInstance(void *instance, const SaveState *state) noexcept;
