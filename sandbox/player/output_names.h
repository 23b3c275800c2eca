// The names of everything a play writes into its output folder.
//
// Per-frame files are named by their frame, so slices of one scene can share
// a folder. Files that cover a range of frames (the CSV cache, the contact
// sheet, the animation) carry no range in their names when the run covers
// the scene's whole range (cache.csv, preview.png, preview.gif), and the
// range otherwise (cache_000010-000019.csv, preview_000010-000019.png, ...),
// so no slice replaces another's.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "player/frame_range.h"
#include "cache/particle_cache.h"

namespace plix::sandbox {

struct OutputNames {
    std::filesystem::path folder;
    std::filesystem::path manifest;   // plix-outputs.json: what made the outputs
    std::filesystem::path cacheFolder; // cache/
    std::filesystem::path csv;
    std::filesystem::path previewPng;
    std::filesystem::path previewGif;
    std::filesystem::path savedScene;
};

// "" for the scene's whole range, else "_AAAAAA-BBBBBB".
std::string rangeSuffix(const FrameRange &played, const FrameRange &scene);

OutputNames outputNames(const std::filesystem::path &folder, const FrameRange &played, const FrameRange &scene,
                        const std::filesystem::path &savedScene);

// Whether a file name in an output folder is one that a play writes (other
// than the saved scene, whose name the manifest records): the manifest,
// cache.csv and cache_*.csv, preview.png/.gif and preview_*.png/.gif, and
// temporary files left by a run that was killed.
bool isPlayOutputName(const std::string &name);

} // namespace plix::sandbox
