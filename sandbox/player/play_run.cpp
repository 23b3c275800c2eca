#include "player/play_run.h"

#include <cstdio>

#include "files/atomic_file.h"
#include "files/path_clash.h"
#include "player/cache_sink.h"
#include "player/output_folder.h"
#include "player/run_inputs.h"
#include "player/sandbox_error.h"
#include "player/scene_framing.h"
#include "plix/platform/build_info.h"
#include "plix/platform/sha256.h"
#include "scene/scene_file_writer.h"

#ifdef PLIX_HAVE_PREVIEW
#include "player/preview_sink.h"
#endif

namespace plix::sandbox {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

bool withPng(PreviewKind kind) { return kind == PreviewKind::png || kind == PreviewKind::both; }
bool withGif(PreviewKind kind) { return kind == PreviewKind::gif || kind == PreviewKind::both; }

std::vector<cache::CachedEffect> cachedEffects(const SceneEffects &effects) {
    std::vector<cache::CachedEffect> out;
    for (const SceneEffects::Effect &effect : effects.effects())
        out.push_back({effects.scene().objects[effect.object].name, static_cast<int>(effect.block) + 1});
    return out;
}

// No folder (or anything but a file) where a frame file of the range goes:
// looks only at what is there, however long the range.
void checkFrameFiles(const fs::path &folder, const FrameRange &range) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<int> frame = cache::plyCacheFrameOf(it->path().filename().string());
        if (frame && *frame >= range.first && *frame <= range.last && !it->is_regular_file(ec))
            throw SandboxError("cannot write the particle cache file " + it->path().string() +
                               ": something other than a file stands there; remove or rename it");
    }
}

} // namespace

FrameRange playedRange(const SceneSource &source, const std::optional<FrameRange> &frames) {
    const scene::Scene &scene = source.scene;
    const FrameRange range = frames.value_or(FrameRange{scene.firstFrame, scene.lastFrame});
    if (range.count() > mostFramesPerRun)
        throw SandboxError((frames ? std::string("--frames asks for ")
                                   : sceneLinePrefix(source, scene.framesLine) + "the scene's frames are ") +
                           describeFrames(range) + "; one run plays at most " + withThousands(mostFramesPerRun) +
                           ": play the animation in slices with --frames A-B, which come out the same as one long run");
    return range;
}

bool previewAvailable() {
#ifdef PLIX_HAVE_PREVIEW
    return true;
#else
    return false;
#endif
}

PlayRun::PlayRun(PlayRequest request, PlayReporter reporter)
    : request_(std::move(request)), reporter_(std::move(reporter)) {
    if (request_.preview != PreviewKind::none && !previewAvailable())
        throw SandboxError("this plix-sandbox was built without the PNG/GIF preview (libgd); use --preview none");
    const SceneSource &source = request_.source;
    const scene::Scene &scene = source.scene;
    sceneRange_ = FrameRange{scene.firstFrame, scene.lastFrame};
    range_ = playedRange(source, request_.frames);

    const std::vector<scene::SceneNote> sceneNotes = scene::sceneNotes(scene, sceneDisplayName(source));
    reporter_.sceneNotes(sceneNotes);
    for (const scene::SceneNote &sceneNote : sceneNotes) summary_.notes.push_back(sceneNote.formatted());
    if (request_.frames && (range_.first < sceneRange_.first || range_.last > sceneRange_.last))
        reportNote("--frames " + std::to_string(range_.first) + "-" + std::to_string(range_.last) +
                   " reaches beyond the scene's frames (" + std::to_string(sceneRange_.first) + "-" +
                   std::to_string(sceneRange_.last) + "): those frames are played all the same, the objects holding "
                   "their first or last keys");
    effects_ = std::make_unique<SceneEffects>(scene, request_.modulePath.string());
    if (effects_->effects().empty()) reportNote("the scene applies no effect (add 'effect' to an object); nothing moves");

    summary_.modulePath = request_.modulePath.string();
    summary_.moduleSha256 = platform::sha256OfFile(request_.modulePath).value_or("");
    summary_.sceneName = source.fileName;
    summary_.sceneFile = source.file;
    summary_.fps = scene.fps;
    summary_.sceneFrames = sceneRange_;
    summary_.played = range_;
    summary_.out = request_.out;
    for (const SceneEffects::Effect &effect : effects_->effects())
        summary_.effects.push_back({scene.objects[effect.object].name, static_cast<int>(effect.block) + 1,
                                    effect.pointCount});
    names_ = outputNames(request_.out, range_, sceneRange_, savedScenePath(source, request_.out));
    cached_ = cachedEffects(*effects_);
}

PlayRun::~PlayRun() = default;

// --force also replaces read-only files.
files::OutputRules PlayRun::writeRules() const {
    return {.replaceReadOnly = request_.force, .readOnlyAdvice = "make it writable, or add --force to replace it"};
}

void PlayRun::reportNote(const std::string &text) {
    if (reporter_.note) reporter_.note(text);
    summary_.notes.push_back(text);
}

// Every file the run will write, for the checks before the first frame.
std::vector<fs::path> PlayRun::plannedFiles() const {
    std::vector<fs::path> files{names_.savedScene};
    if (withPng(request_.preview)) files.push_back(names_.previewPng);
    if (withGif(request_.preview)) files.push_back(names_.previewGif);
    if (request_.cache == cache::CacheFormat::csv) files.push_back(names_.csv);
    if (request_.cache == cache::CacheFormat::ply) // the other frames: checkFrameFiles
        for (std::size_t e = 0; e < cached_.size(); ++e)
            files.push_back(cache::plyCacheFile(names_.folder, cached_, e, range_.first));
    return files;
}

void PlayRun::prepareOutputs() {
    const scene::Scene &scene = request_.source.scene;
    // A summary inside the output folder is checked once the folder is made.
    std::error_code ec;
    const fs::path jsonFolder = request_.json && request_.json->has_parent_path() ? request_.json->parent_path() : ".";
    const bool jsonInOut = request_.json && !fs::exists(jsonFolder, ec) && files::sameFile(jsonFolder, request_.out);
    if (request_.json && !jsonInOut) checkWritableFile(*request_.json, writeRules());
    OutputIdentity identity{platform::programVersion(), summary_.moduleSha256, request_.source.fileName,
                            scene::writeSceneText(scene, request_.out), request_.keepParked};
    for (const scene::SceneObject &object : scene.objects)
        identity.sceneText += "# " + object.name + ": " + std::to_string(object.pointCount) + " points\n";
    std::vector<files::NamedPath> writes;
    for (const fs::path &file : plannedFiles()) writes.push_back({file, "the output"});
    writes.push_back({names_.manifest, "the outputs manifest"});
    if (request_.cache == cache::CacheFormat::ply) writes.push_back({names_.cacheFolder, "the particle cache folder"});
    if (request_.json) writes.push_back({*request_.json, "--json"});
    const std::vector<files::NamedPath> inputs = inputsOf(request_.source, request_.modulePath);
    refuseOutputClashes(inputs, writes);
    prepared_ = prepareOutputFolder(names_, identity, plannedFiles(), inputs, writeRules());
    if (jsonInOut) checkWritableFile(*request_.json, writeRules());
    const PreparedFolder &prepared = prepared_;
    if (request_.cache == cache::CacheFormat::ply)
        for (std::size_t e = 0; e < cached_.size(); ++e)
            checkFrameFiles(cache::plyCacheFolder(names_.folder, cached_, e), range_);
    if (!prepared.removed.empty())
        reportNote("--force: removed the earlier outputs " + prepared.removed + " from " + request_.out.string());
    if (!prepared.kept.empty())
        reportNote("--force: kept " + prepared.kept + " in " + request_.out.string() +
                   ", which no plix-outputs.json records as a run's; this run's files replace those of their names");

    const bool framed = request_.preview != PreviewKind::none || request_.cache == cache::CacheFormat::ply;
    const SceneFraming framing = framed ? frameScene(*effects_) : SceneFraming{};
    if (reporter_.betweenFrames) reporter_.betweenFrames();

    if (request_.cache != cache::CacheFormat::none) {
        cache::CacheSettings settings;
        settings.format = request_.cache;
        settings.outputFolder = request_.out;
        settings.csvFile = names_.csv;
        settings.effects = cached_;
        settings.keepParked = request_.keepParked;
        settings.sceneName = request_.source.fileName;
        settings.fps = scene.fps;
        settings.viewBox = framing.box();
        settings.replaceReadOnly = request_.force;
        sinks_.push_back(std::make_unique<CacheSink>(std::move(settings), range_.count()));
    }
#ifdef PLIX_HAVE_PREVIEW
    if (request_.preview != PreviewKind::none) {
        auto preview = std::make_unique<PreviewSink>(range_, scene.fps, framing,
                                                     withPng(request_.preview) ? names_.previewPng : fs::path(),
                                                     withGif(request_.preview) ? names_.previewGif : fs::path(),
                                                     writeRules());
        if (const std::string sampled = preview->samplingNote(); !sampled.empty()) reportNote(sampled);
        sinks_.push_back(std::move(preview));
    }
#endif
    for (const std::unique_ptr<FrameSink> &sink : sinks_) {
        velocity_ = velocity_ || sink->wantsVelocity();
        emitters_ = emitters_ || sink->wantsEmitters();
    }
}

void PlayRun::playFrames() {
    geometry::FrameSparks sparks; // its memory serves every frame
    std::vector<geometry::Vec3> emitters;
    for (long long f = range_.first; f <= range_.last; ++f) {
        if (reporter_.betweenFrames) reporter_.betweenFrames();
        const int frame = static_cast<int>(f);
        const auto before = Clock::now();
        effects_->playFrame(frame, sparks, velocity_);
        PlayedFrame played{frame, effects_->timeOf(frame), 0, 0,
                           std::chrono::duration<double>(Clock::now() - before).count()};
        for (const auto &effect : sparks)
            for (const geometry::SparkSample &spark : effect) {
                played.inFlight += geometry::shownInFlight(spark) ? 1 : 0;
                played.nonFinite += geometry::nonFinite(spark) ? 1 : 0;
            }
        summary_.frames.push_back(played);
        if (emitters_) emitters = effects_->emitterPositions(frame);
        const SinkFrame sinkFrame{frame, effects_->timeOf(frame), sparks, emitters};
        for (const std::unique_ptr<FrameSink> &sink : sinks_) sink->addFrame(sinkFrame);
        if (reporter_.progress) reporter_.progress(static_cast<long long>(summary_.frames.size()));
    }
}

const PlaySummary &PlayRun::finish() {
    if (reporter_.betweenFrames) reporter_.betweenFrames();
    for (const std::unique_ptr<FrameSink> &sink : sinks_)
        for (std::string &name : sink->finish()) summary_.written.push_back(std::move(name));
    files::writeFileAtomically(names_.savedScene,
                               scene::writeSceneText(effects_->sceneWithSavedBlocks(), request_.out), writeRules());
    summary_.written.push_back(names_.savedScene.filename().string());
    summary_.seconds = std::chrono::duration<double>(Clock::now() - request_.started).count();
    if (request_.json) files::writeFileAtomically(*request_.json, summary_.json(), writeRules());
    return summary_;
}

} // namespace plix::sandbox
