// What a play did, for the one-line summary and for machines (--json FILE).
//
// The JSON summary holds: program, platform, module (path, sha256), scene
// (name, file, fps, frames), played (first, last), out, written, effects
// (object, effect, points), per frame (frame, time, in_flight, non_finite,
// module_ms), in_flight_at_end, non_finite, module_ms_per_frame, seconds and
// notes (every note the command printed).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "player/frame_range.h"

namespace plix::sandbox {

struct PlayedFrame {
    int frame = 0;
    double time = 0.0;
    long long inFlight = 0;  // in flight, with finite values
    long long nonFinite = 0; // in flight, a position, age or velocity not finite
    double moduleSeconds = 0.0;
};

struct PlayedEffect {
    std::string object;
    int number = 1;
    int points = 0;
};

struct PlaySummary {
    std::string modulePath;
    std::string moduleSha256;
    std::string sceneName;
    std::optional<std::filesystem::path> sceneFile;
    double fps = 30.0;
    FrameRange sceneFrames;
    FrameRange played;
    std::filesystem::path out;
    std::vector<std::string> written;
    std::vector<PlayedEffect> effects;
    std::vector<PlayedFrame> frames;
    std::vector<std::string> notes;
    double seconds = 0.0;

    long long sparks() const;
    long long nonFinite() const;
    double moduleSecondsPerFrame() const;
    std::string oneLine() const;
    std::string json() const;
};

} // namespace plix::sandbox
