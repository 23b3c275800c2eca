#include "app/play_command.h"

#include <memory>
#include <string>
#include <vector>

#include "app/command_messages.h"
#include "app/module_location.h"
#include "app/progress_bar.h"
#include "player/play_run.h"
#include "player/sandbox_error.h"
#include "plix/platform/stop_requests.h"
#include "plix/platform/terminal.h"
#include "scene/printable_text.h"

namespace plix::sandbox {
namespace {

int play(const PlayOptions &options, std::ostream &out, std::ostream &err) {
    PlayRequest request;
    request.preview = options.preview.value_or(previewAvailable() ? PreviewKind::both : PreviewKind::none);
    if (request.preview != PreviewKind::none && !previewAvailable())
        throw SandboxError("this plix-sandbox was built without the PNG/GIF preview (libgd); use --preview none");
    request.source = readSceneSource(options.scene);
    request.frames = options.frames;
    request.out = options.out;
    request.cache = options.cache;
    request.keepParked = options.keepParked;
    request.force = options.force;
    request.json = options.json;
    playedRange(request.source, request.frames); // a range too long is named before a missing module
    request.modulePath = resolveModulePath(options.module);

    const platform::StopRequests stopRequests;
    std::unique_ptr<ProgressBar> progress;
    PlayReporter reporter;
    reporter.sceneNotes = [&](const std::vector<scene::SceneNote> &notes) { printNotes(err, notes); };
    reporter.note = [&](const std::string &text) { err << "plix-sandbox: note: " << text << "\n"; };
    reporter.betweenFrames = [] { platform::throwIfStopRequested(); };
    reporter.progress = [&](long long done) { progress->update(done); };

    PlayRun run(std::move(request), std::move(reporter));
    run.prepareOutputs();
    progress = std::make_unique<ProgressBar>(err, run.range().count(), "frames",
                                             options.progress.value_or(platform::standardErrorIsTerminal()));
    run.playFrames();
    progress->finish();
    const PlaySummary &summary = run.finish();

    std::string list;
    for (const std::string &name : summary.written) list += (list.empty() ? "" : ", ") + name;
    // Paths come from the user: shown as stderr shows them.
    out << "wrote " << scene::printable(options.out.string()) << ": " << scene::printable(list) << "\n";
    out << scene::printable(summary.oneLine()) << "\n";
    return 0;
}

} // namespace

int runPlay(const PlayOptions &options, std::ostream &out, std::ostream &err) {
    try {
        return play(options, out, err);
    } catch (const platform::StopRequested &stop) {
        err << "plix-sandbox: " << stop.what() << ": the frames finished before it are in place, no temporary "
                                                  "file is left\n";
        err.flush();
        platform::endAsSignalled(stop.signal());
    } catch (const std::exception &error) { // scene mistakes, module failures, unwritable outputs
        err << "plix-sandbox: " << failureMessage(error) << "\n";
        return 1;
    }
}

} // namespace plix::sandbox
