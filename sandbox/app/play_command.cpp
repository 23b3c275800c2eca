#include "app/play_command.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/command_messages.h"
#include "app/interrupt.h"
#include "app/module_location.h"
#include "app/output_folder.h"
#include "app/output_names.h"
#include "app/play_summary.h"
#include "app/progress_bar.h"
#include "app/sandbox_error.h"
#include "app/scene_effects.h"
#include "app/scene_framing.h"
#include "app/scene_source.h"
#include "plix/platform/build_info.h"
#include "plix/platform/sha256.h"
#include "plix/platform/terminal.h"
#include "files/atomic_file.h"
#include "scene/scene_writer.h"

#ifdef PLIX_HAVE_PREVIEW
#include "preview/preview_recorder.h"
#endif

namespace plix::sandbox {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

std::vector<cache::CachedEffect> cachedEffects(const SceneEffects &effects) {
    std::vector<cache::CachedEffect> out;
    for (const SceneEffects::Effect &effect : effects.effects())
        out.push_back({effects.scene().objects[effect.object].name, static_cast<int>(effect.block) + 1});
    return out;
}

class PreviewOutput {
public:
    PreviewOutput(PreviewKind kind, const FrameRange &range, double fps, const SceneFraming *framing) : kind_(kind) {
#ifdef PLIX_HAVE_PREVIEW
        if (kind_ != PreviewKind::none)
            recorder_ = std::make_unique<preview::PreviewRecorder>(
                range.first, range.last, fps, preview::SceneView{framing->fit, framing->paths},
                kind_ == PreviewKind::gif || kind_ == PreviewKind::both);
#else
        (void)range;
        (void)fps;
        (void)framing;
#endif
    }

    bool png() const { return kind_ == PreviewKind::png || kind_ == PreviewKind::both; }
    bool gif() const { return kind_ == PreviewKind::gif || kind_ == PreviewKind::both; }

    void addFrame([[maybe_unused]] int frame, [[maybe_unused]] const geometry::FrameSparks &sparks,
                  [[maybe_unused]] const std::vector<geometry::Vec3> &emitters) {
#ifdef PLIX_HAVE_PREVIEW
        if (recorder_) recorder_->addFrame(frame, sparks, emitters);
#endif
    }

    void write([[maybe_unused]] const OutputNames &names, [[maybe_unused]] std::vector<std::string> &written) {
#ifdef PLIX_HAVE_PREVIEW
        if (!recorder_) return;
        if (png()) {
            files::writeFileAtomically(names.previewPng, recorder_->contactSheetPng());
            written.push_back(names.previewPng.filename().string());
        }
        if (gif()) {
            files::writeFileAtomically(names.previewGif, recorder_->animatedGif());
            written.push_back(names.previewGif.filename().string());
        }
#endif
    }

private:
    PreviewKind kind_;
#ifdef PLIX_HAVE_PREVIEW
    std::unique_ptr<preview::PreviewRecorder> recorder_;
#endif
};

// Every file the run will write, for the checks before the first frame.
std::vector<fs::path> plannedFiles(const PlayOptions &options, PreviewKind preview, const OutputNames &names,
                                   const std::vector<cache::CachedEffect> &effects, const FrameRange &range) {
    std::vector<fs::path> files{names.savedScene};
    if (preview == PreviewKind::png || preview == PreviewKind::both) files.push_back(names.previewPng);
    if (preview == PreviewKind::gif || preview == PreviewKind::both) files.push_back(names.previewGif);
    if (options.cache == cache::CacheFormat::csv) files.push_back(names.csv);
    if (options.cache == cache::CacheFormat::ply) // the other frames: checkFrameFiles
        for (std::size_t e = 0; e < effects.size(); ++e)
            files.push_back(cache::plyCacheFile(names.folder, effects, e, range.first));
    return files;
}

// No folder (or anything but a file) where a frame file of the range goes:
// looks only at what is there, however long the range.
void checkFrameFiles(const fs::path &folder, const FrameRange &range) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        int frame = 0;
        char tail = 0;
        if (std::sscanf(name.c_str(), "frame_%d.pl%c", &frame, &tail) != 2 || tail != 'y' ||
            name != cache::plyCacheFile("", frame).filename().string())
            continue;
        if (frame >= range.first && frame <= range.last && !it->is_regular_file(ec))
            throw SandboxError("cannot write the particle cache file " + it->path().string() +
                               ": something other than a file stands there; remove or rename it");
    }
}

std::string plural(long long n, const char *word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

int play(const PlayOptions &options, std::ostream &out, std::ostream &err) {
    const auto started = Clock::now();
    const PreviewKind previewKind = options.preview.value_or(previewAvailable() ? PreviewKind::both : PreviewKind::none);
    if (previewKind != PreviewKind::none && !previewAvailable())
        throw SandboxError("this plix-sandbox was built without the PNG/GIF preview (libgd); use --preview none");

    const SceneSource source = readSceneSource(options.scene);
    const scene::Scene &scene = source.scene;
    const FrameRange sceneRange{scene.firstFrame, scene.lastFrame};
    const FrameRange range = options.frames.value_or(sceneRange);
    if (range.count() > mostFramesPerRun)
        throw SandboxError((options.frames ? std::string("--frames asks for ")
                                           : sceneLinePrefix(source, scene.framesLine) + "the scene's frames are ") +
                           describeFrames(range) + "; one run plays at most " + withThousands(mostFramesPerRun) +
                           ": play the animation in slices with --frames A-B, which come out the same as one long run");
    const fs::path modulePath = resolveModulePath(options.module);

    PlaySummary summary;
    const auto note = [&](const std::string &text) {
        err << "plix-sandbox: note: " << text << "\n";
        summary.notes.push_back(text);
    };
    const std::vector<scene::SceneNote> sceneNotes = scene::sceneNotes(scene, sceneDisplayName(source));
    printNotes(err, sceneNotes);
    for (const scene::SceneNote &sceneNote : sceneNotes) summary.notes.push_back(sceneNote.formatted());
    SceneEffects effects(scene, modulePath.string());
    if (effects.effects().empty()) note("the scene applies no effect (add 'effect' to an object); nothing moves");

    summary.modulePath = modulePath.string();
    summary.moduleSha256 = platform::sha256OfFile(modulePath).value_or("");
    summary.sceneName = source.fileName;
    summary.sceneFile = source.file;
    summary.fps = scene.fps;
    summary.sceneFrames = sceneRange;
    summary.played = range;
    summary.out = options.out;
    for (const SceneEffects::Effect &effect : effects.effects())
        summary.effects.push_back({scene.objects[effect.object].name, static_cast<int>(effect.block) + 1,
                                   effect.pointCount});

    // Everything that can be known before the first frame is checked here.
    const OutputNames names = outputNames(options.out, range, sceneRange, savedScenePath(source, options.out));
    const std::vector<cache::CachedEffect> cached = cachedEffects(effects);
    if (options.json) checkWritableFile(*options.json, "summary");
    OutputIdentity identity{platform::programVersion(), summary.moduleSha256, source.fileName,
                            scene::writeSceneText(scene, options.out), options.keepParked};
    for (const scene::SceneObject &object : scene.objects)
        identity.sceneText += "# " + object.name + ": " + std::to_string(object.pointCount) + " points\n";
    const PreparedFolder prepared =
        prepareOutputFolder(names, identity, plannedFiles(options, previewKind, names, cached, range), options.force);
    if (options.cache == cache::CacheFormat::ply)
        for (std::size_t e = 0; e < cached.size(); ++e)
            checkFrameFiles(cache::plyCacheFolder(names.folder, cached, e), range);
    if (!prepared.removed.empty())
        note("--force: removed the earlier outputs " + prepared.removed + " from " + options.out.string());

    const InterruptGuard interrupts;
    const bool framed = previewKind != PreviewKind::none || options.cache == cache::CacheFormat::ply;
    const SceneFraming framing = framed ? frameScene(effects) : SceneFraming{};
    stopIfInterrupted();

    cache::CacheSettings cacheSettings;
    cacheSettings.format = options.cache;
    cacheSettings.outputFolder = options.out;
    cacheSettings.csvFile = names.csv;
    cacheSettings.effects = cached;
    cacheSettings.keepParked = options.keepParked;
    cacheSettings.sceneName = source.fileName;
    cacheSettings.fps = scene.fps;
    cacheSettings.viewBox = framing.box();
    std::unique_ptr<cache::ParticleCache> cache = cache::makeParticleCache(cacheSettings);
    PreviewOutput previewOutput(previewKind, range, scene.fps, &framing);
    const bool measureVelocity = options.cache != cache::CacheFormat::none;

    ProgressBar progress(err, range.count(), "frames", options.progress.value_or(platform::standardErrorIsTerminal()));
    geometry::FrameSparks sparks; // its memory serves every frame
    for (long long f = range.first; f <= range.last; ++f) {
        stopIfInterrupted();
        const int frame = static_cast<int>(f);
        const auto before = Clock::now();
        effects.playFrame(frame, sparks, measureVelocity);
        PlayedFrame played{frame, effects.timeOf(frame), 0, 0,
                           std::chrono::duration<double>(Clock::now() - before).count()};
        for (const auto &effect : sparks)
            for (const geometry::SparkSample &spark : effect) {
                played.inFlight += geometry::shownInFlight(spark) ? 1 : 0;
                played.nonFinite += geometry::nonFinite(spark) ? 1 : 0;
            }
        summary.frames.push_back(played);
        if (cache) cache->addFrame(frame, effects.timeOf(frame), sparks);
        previewOutput.addFrame(frame, sparks, effects.emitterPositions(frame));
        progress.update(static_cast<long long>(summary.frames.size()));
    }
    progress.finish();
    stopIfInterrupted();

    std::vector<std::string> &written = summary.written;
    if (cache) {
        cache->finish();
        written.push_back(options.cache == cache::CacheFormat::csv
                              ? names.csv.filename().string()
                              : "cache/ (" + plural(range.count() * static_cast<long long>(cached.size()), "PLY file") +
                                    ")");
    }
    previewOutput.write(names, written);
    files::writeFileAtomically(names.savedScene, scene::writeSceneText(effects.sceneWithSavedBlocks(), options.out));
    written.push_back(names.savedScene.filename().string());

    std::string list;
    for (const std::string &name : written) list += (list.empty() ? "" : ", ") + name;
    out << "wrote " << options.out.string() << ": " << list << "\n";
    summary.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (options.json) files::writeFileAtomically(*options.json, summary.json());
    out << summary.oneLine() << "\n";
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
    } catch (const Interrupted &stop) {
        err << "plix-sandbox: " << stop.what() << ": the frames finished before it are in place, no temporary "
                                                  "file is left\n";
        err.flush();
        endAsSignalled(stop.signal());
    } catch (const std::exception &error) { // scene mistakes, module failures, unwritable outputs
        err << "plix-sandbox: " << failureMessage(error) << "\n";
        return 1;
    }
}

} // namespace plix::sandbox
