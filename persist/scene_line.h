// Reading the scene block line by line through the host's load state.
#pragma once

#include "plix/host/handler_abi.h"
#include "persist/scene_keywords.h"

constexpr int referenceNameReadSize = 50;

// One line of the block as the load entry sees it; one per load.
struct SceneLine {
    char keyword[sceneLineSize]; // text before the first space
    double value = 0.0;          // number after the first space
    bool hasValue = false;       // some line of this load carried one
};

// Reads the next line into `line`. The keyword is replaced; the value only
// when the line has a space. Returns false when the host reports the end of
// its stream (negative read result), which leaves an empty keyword.
bool readSceneLine(const LoadState &state, SceneLine &line) noexcept;

// True when the line's keyword is a prefix of `name` (so the empty keyword
// matches every name). Byte-wise and case-sensitive.
bool keywordMatches(const char *name, const SceneLine &line) noexcept;

// Reads the next line whole, up to 50 bytes, as the reference name. The
// destination always ends zero-terminated.
void readReferenceName(const LoadState &state, char (&destination)[referenceNameReadSize + 1]) noexcept;
