// Writing the scene block line by line through the host's save state.
#pragma once

#include "plix/host/handler_abi.h"

// Writes `text` as one line, its byte count including the zero.
void writeBareLine(const SaveState &state, const char *text) noexcept;

// Writes the keyword followed by the value's " %f" text as one line.
void writeValueLine(const SaveState &state, const char *keyword, double value) noexcept;
