// `plix-sandbox play`: plays a scene through the module as the host does and
// writes the preview, the particle cache and the scene saved back.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>

#include "player/frame_range.h"
#include "cache/particle_cache.h"
#include "player/play_run.h"

namespace plix::sandbox {

struct PlayOptions {
    std::optional<std::filesystem::path> scene; // none: the built-in scene
    std::filesystem::path module;               // empty: plix6.p beside the program
    std::optional<FrameRange> frames;           // none: the scene's range
    std::filesystem::path out = "plix-out";
    cache::CacheFormat cache = cache::CacheFormat::none;
    std::optional<PreviewKind> preview;         // none: both when built with the preview
    std::optional<bool> progress;               // none: when stderr is a terminal
    bool keepParked = false;                    // the cache holds the parked sparks too
    bool force = false;                         // remove another run's outputs from `out` first
    std::optional<std::filesystem::path> json;  // the summary for machines
};

// Returns the exit code: 0, or 1 after a message on `err`. The summary line
// goes to `out`. Interrupted by SIGINT or SIGTERM, it removes its temporary
// files and ends the program as the signal does.
int runPlay(const PlayOptions &options, std::ostream &out, std::ostream &err);

} // namespace plix::sandbox
