// One play of a scene, in four steps: plan the run (the scene, the frames,
// the module and its effects, every output's name), prepare the output
// folder, play the frames into the sinks (cache, preview), and write what is
// left (the sinks' files, the scene saved back, the summary). Everything that
// can be known before the first frame is checked by the first two steps.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cache/particle_cache.h"
#include "files/output_place.h"
#include "player/frame_range.h"
#include "player/frame_sink.h"
#include "player/output_folder.h"
#include "player/output_names.h"
#include "player/play_summary.h"
#include "player/scene_effects.h"
#include "player/scene_source.h"
#include "scene/scene_notes.h"

namespace plix::sandbox {

enum class PreviewKind { png, gif, both, none };

// Whether this build can draw the preview (libgd).
bool previewAvailable();

// The frames a run plays: `frames`, or the scene's range. Throws SandboxError
// naming the scene's line (or --frames) when they are more than one run plays.
FrameRange playedRange(const SceneSource &source, const std::optional<FrameRange> &frames);

struct PlayRequest {
    SceneSource source;
    std::filesystem::path modulePath;
    std::optional<FrameRange> frames; // none: the scene's range
    std::filesystem::path out;
    cache::CacheFormat cache = cache::CacheFormat::none;
    PreviewKind preview = PreviewKind::none;
    bool keepParked = false;
    bool force = false;
    std::optional<std::filesystem::path> json;
    // When the command started, for the summary's seconds.
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

// What the run tells its user on the way.
struct PlayReporter {
    // The scene's notes, before the module is loaded.
    std::function<void(const std::vector<scene::SceneNote> &)> sceneNotes;
    // A note of the run's own ("plix-sandbox: note: ...").
    std::function<void(const std::string &)> note;
    // Before each frame and once after the last: a stop request ends the
    // run here (by throwing).
    std::function<void()> betweenFrames;
    // Frames done so far.
    std::function<void(long long)> progress;
};

class PlayRun {
public:
    // Plans the run: reads nothing but the request, loads the module and
    // creates every effect. Throws SandboxError (or scene::SceneError).
    PlayRun(PlayRequest request, PlayReporter reporter);
    ~PlayRun();
    PlayRun(const PlayRun &) = delete;
    PlayRun &operator=(const PlayRun &) = delete;

    const FrameRange &range() const { return range_; }

    // Readies the output folder for the planned files and makes the sinks.
    void prepareOutputs();
    // Plays every frame of the range into the sinks.
    void playFrames();
    // Puts every sink's files in place, saves the scene back and, with
    // --json, the summary. Returns the summary.
    const PlaySummary &finish();

private:
    std::vector<std::filesystem::path> plannedFiles() const;
    files::OutputRules writeRules() const;
    void reportNote(const std::string &text);

    PreparedFolder prepared_; // holds the output folder's lock until the sinks are gone
    PlayRequest request_;
    PlayReporter reporter_;
    FrameRange sceneRange_, range_;
    PlaySummary summary_;
    std::unique_ptr<SceneEffects> effects_;
    std::vector<cache::CachedEffect> cached_;
    OutputNames names_;
    std::vector<std::unique_ptr<FrameSink>> sinks_;
    bool velocity_ = false, emitters_ = false;
};

} // namespace plix::sandbox
