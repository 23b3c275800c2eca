// Lifecycle entries of the instance table and the entries that do nothing.
#pragma once

#include "effect/spark_types.h"

void applyDefaults(SparkSettings &sparks) noexcept;

void *createInstance(void *priv, void *context, const char **errorText) noexcept;
void destroyInstance(void *instance) noexcept;
const char *copyInstance(void *destination, void *source) noexcept;
const char *describeInstance(void *instance) noexcept;
const void **useItems(void *instance) noexcept;
void changeItemIds(void *instance, const void **ids) noexcept;
const char *renderInit(void *instance, int mode) noexcept;
void renderCleanup(void *instance) noexcept;
