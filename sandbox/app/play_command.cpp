#include "app/play_command.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_messages.h"
#include "app/module_location.h"
#include "app/progress_bar.h"
#include "app/sandbox_error.h"
#include "app/scene_effects.h"
#include "app/scene_source.h"
#include "plix/platform/terminal.h"
#include "files/atomic_file.h"
#include "scene/scene_writer.h"

#ifdef PLIX_HAVE_PREVIEW
#include "preview/preview_recorder.h"
#endif

namespace plix::sandbox {
namespace {

using Clock = std::chrono::steady_clock;

struct PlayTally {
    long long frames = 0;
    long long sparks = 0;
    long long inFlightAtEnd = 0;
    double moduleSeconds = 0.0;
};

std::string plural(long long n, const char *word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::string millis(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f ms", seconds * 1000.0);
    return text;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

std::vector<cache::CachedEffect> cachedEffects(const SceneEffects &effects) {
    std::vector<cache::CachedEffect> out;
    for (const SceneEffects::Effect &effect : effects.effects())
        out.push_back({effects.scene().objects[effect.object].name, static_cast<int>(effect.block) + 1});
    return out;
}

class PreviewOutput {
public:
    PreviewOutput(PreviewKind kind, const FrameRange &range, double fps) : kind_(kind) {
#ifdef PLIX_HAVE_PREVIEW
        if (kind_ != PreviewKind::none) recorder_ = std::make_unique<preview::PreviewRecorder>(range.first, range.last, fps);
#else
        (void)range;
        (void)fps;
#endif
    }

    void addFrame([[maybe_unused]] int frame, [[maybe_unused]] const geometry::FrameSparks &sparks,
                  [[maybe_unused]] const std::vector<geometry::Vec3> &emitters) {
#ifdef PLIX_HAVE_PREVIEW
        if (recorder_) recorder_->addFrame(frame, sparks, emitters);
#endif
    }

    void write([[maybe_unused]] const std::filesystem::path &folder, [[maybe_unused]] std::vector<std::string> &written) {
#ifdef PLIX_HAVE_PREVIEW
        if (!recorder_) return;
        if (kind_ == PreviewKind::png || kind_ == PreviewKind::both) {
            files::writeFileAtomically(folder / "preview.png", recorder_->contactSheetPng());
            written.push_back("preview.png");
        }
        if (kind_ == PreviewKind::gif || kind_ == PreviewKind::both) {
            files::writeFileAtomically(folder / "preview.gif", recorder_->animatedGif());
            written.push_back("preview.gif");
        }
#endif
    }

private:
    PreviewKind kind_;
#ifdef PLIX_HAVE_PREVIEW
    std::unique_ptr<preview::PreviewRecorder> recorder_;
#endif
};

int play(const PlayOptions &options, std::ostream &out, std::ostream &err) {
    const auto started = Clock::now();
    const PreviewKind previewKind = options.preview.value_or(previewAvailable() ? PreviewKind::both : PreviewKind::none);
    if (previewKind != PreviewKind::none && !previewAvailable())
        throw SandboxError("this plix-sandbox was built without the PNG/GIF preview (libgd); use --preview none");

    const SceneSource source = readSceneSource(options.scene);
    const scene::Scene &scene = source.scene;
    const FrameRange range = options.frames.value_or(FrameRange{scene.firstFrame, scene.lastFrame});
    const std::filesystem::path modulePath = resolveModulePath(options.module);

    printNotes(err, scene::sceneNotes(scene, sceneDisplayName(source)));
    SceneEffects effects(scene, modulePath.string());
    if (effects.effects().empty())
        err << "plix-sandbox: note: the scene applies no effect (add 'effect' to an object); nothing moves\n";

    std::filesystem::create_directories(options.out);
    std::vector<std::string> written;
    std::unique_ptr<cache::ParticleCache> cache =
        cache::makeParticleCache(options.cache, options.out, cachedEffects(effects));
    PreviewOutput previewOutput(previewKind, range, scene.fps);

    PlayTally tally;
    for (const SceneEffects::Effect &effect : effects.effects()) tally.sparks += effect.pointCount;
    ProgressBar progress(err, range.count(), "frames", options.progress.value_or(platform::standardErrorIsTerminal()));
    for (long long f = range.first; f <= range.last; ++f) {
        const int frame = static_cast<int>(f);
        const auto before = Clock::now();
        const geometry::FrameSparks sparks = effects.playFrame(frame);
        tally.moduleSeconds += std::chrono::duration<double>(Clock::now() - before).count();
        ++tally.frames;
        if (cache) cache->addFrame(frame, effects.timeOf(frame), sparks);
        previewOutput.addFrame(frame, sparks, effects.emitterPositions(frame));
        if (frame == range.last) {
            tally.inFlightAtEnd = 0;
            for (const auto &effect : sparks)
                for (const geometry::SparkSample &spark : effect) tally.inFlightAtEnd += spark.parked ? 0 : 1;
        }
        progress.update(tally.frames);
    }
    progress.finish();

    if (cache) {
        cache->finish();
        written.push_back(options.cache == cache::CacheFormat::csv ? "cache.csv"
                                                                      : "cache/ (" + plural(tally.frames, "PLY file") + ")");
    }
    previewOutput.write(options.out, written);
    const std::filesystem::path savedScene = savedScenePath(source, options.out);
    files::writeFileAtomically(savedScene, scene::writeSceneText(effects.sceneWithSavedBlocks(), options.out));
    written.push_back(savedScene.filename().string());

    std::string list;
    for (const std::string &name : written) list += (list.empty() ? "" : ", ") + name;
    out << "wrote " << options.out.string() << ": " << list << "\n";
    const double total = std::chrono::duration<double>(Clock::now() - started).count();
    out << "played " << plural(tally.frames, "frame") << " (" << range.first << "-" << range.last << ") of "
        << plural(static_cast<long long>(effects.effects().size()), "effect") << ": " << tally.sparks << " sparks, "
        << tally.inFlightAtEnd << " in flight at frame " << range.last << ", " << millis(tally.moduleSeconds / tally.frames)
        << " per frame in the module, " << secondsText(total) << " in all\n";
    return 0;
}

} // namespace

bool previewAvailable() {
#ifdef PLIX_HAVE_PREVIEW
    return true;
#else
    return false;
#endif
}

int runPlay(const PlayOptions &options, std::ostream &out, std::ostream &err) {
    try {
        return play(options, out, err);
    } catch (const std::exception &error) { // scene mistakes, module failures, unwritable outputs
        err << "plix-sandbox: " << failureMessage(error) << "\n";
        return 1;
    }
}

} // namespace plix::sandbox
