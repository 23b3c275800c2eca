// Placeholder until the scene block reader and writer land.
#include "persist/scene_block.h"

const char *loadInstance(void *, const LoadState *) noexcept { return nullptr; }
const char *saveInstance(void *, const SaveState *) noexcept { return nullptr; }
