// The effect's block of lines in the host's scene file: the load and save
// entries of the instance table.
#pragma once

#include "plix/host/handler_abi.h"
#include "plix/host/scene_block.h"

constexpr int maxSceneBlockLines = PLIX_SCENE_BLOCK_MOST_LINES;

const char *loadInstance(void *instance, const LoadState *state) noexcept;
const char *saveInstance(void *instance, const SaveState *state) noexcept;
