#include "app/studio_command.h"

#ifdef PLIX_HAVE_STUDIO

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "app/command_messages.h"
#include "player/frame_range.h"
#include "app/module_location.h"
#include "player/run_inputs.h"
#include "files/atomic_file.h"
#include "player/sandbox_error.h"
#include "player/scene_source.h"
#include "studio/studio_session.h"
#include "plix/platform/stop_requests.h"
#include "studio/access_guard.h"
#include "studio/module_thread.h"
#include "studio/studio_api.h"
#include "studio/studio_server.h"

namespace plix::sandbox {
namespace {

bool isLoopback(const std::string &address) {
    return address == "localhost" || address == "::1" || address.starts_with("127.");
}

// The address a browser on this machine opens.
std::string urlHost(const std::string &listen) {
    if (listen == "0.0.0.0") return "127.0.0.1";
    if (listen == "::") return "[::1]";
    if (listen.find(':') != std::string::npos) return "[" + listen + "]";
    return listen;
}

int studio(const StudioOptions &options, std::ostream &out, std::ostream &err) {
    if (options.port < 0 || options.port > 65535) throw SandboxError("--port takes 0 to 65535");
    // From here on a stop request ends the studio cleanly, also while it starts.
    const platform::StopRequests stopRequests;
    const auto stopRequested = [] { return platform::stopRequestSignal() != 0; };
    SceneSource source = readSceneSource(options.scene);
    if (const FrameRange frames{source.scene.firstFrame, source.scene.lastFrame}; frames.count() > mostFramesPerRun)
        throw SandboxError(sceneLinePrefix(source, source.scene.framesLine) + "the scene's frames are " +
                           describeFrames(frames) + "; the studio's timeline holds at most " +
                           withThousands(mostFramesPerRun) +
                           ": shorten the scene's 'frames' line, or play the animation in slices with "
                           "play --frames A-B");
    const std::filesystem::path modulePath = resolveModulePath(options.module);
    std::optional<std::filesystem::path> saveTarget = options.save;
    if (!saveTarget && source.file) saveTarget = *source.file;
    if (options.save) {
        std::vector<files::NamedPath> inputs = inputsOf(source, modulePath);
        if (source.file) inputs.erase(inputs.begin()); // saving over the scene itself is what Save scene is for
        refuseOutputClashes(inputs, {{*options.save, "--save"}});
    }
    if (saveTarget) {
        try {
            files::checkCanWrite(*saveTarget);
        } catch (const std::runtime_error &problem) {
            if (options.save) throw SandboxError(std::string("--save: ") + problem.what());
            err << "plix-sandbox: note: Save scene will fail: " << problem.what() << "\n";
        }
    }

    // Every call into the module happens on this one thread, from the
    // effects' creation to their destruction.
    studio::ModuleThread moduleThread;
    std::unique_ptr<StudioSession> session = moduleThread.call([&] {
        return std::make_unique<StudioSession>(std::move(source), modulePath, saveTarget);
    });
    struct EndSession {
        studio::ModuleThread &thread;
        std::unique_ptr<StudioSession> &session;
        ~EndSession() { thread.call([this] { session.reset(); }); }
    } endSession{moduleThread, session};

    studio::StudioServer server;
    const int port = server.bind(options.listen, options.port);
    const studio::StudioApi api(*session, moduleThread,
                                studio::AccessGuard(options.listen, port, studio::newAccessToken()));
    const std::string url =
        "http://" + urlHost(options.listen) + ":" + std::to_string(port) + "/?token=" + api.guard().token();
    out << url << std::endl;

    if (!isLoopback(options.listen))
        err << "plix-sandbox: warning: the studio listens on " << options.listen
            << ", so other machines can reach it; anyone with the URL's token can edit and save the scene\n";
    const studio::StudioScene scene = moduleThread.call([&session] { return session->scene(); });
    for (const std::string &note : scene.notes) err << "plix-sandbox: note: " << note << "\n";
    err << "plix-sandbox: studio of " << scene.name << " at " << url << " (Ctrl-C stops it)" << std::endl;

    std::atomic<bool> serverEnded = false;
    bool served = true;
    std::thread serving([&] {
        served = server.serve(api);
        serverEnded = true;
    });
    while (!stopRequested() && !serverEnded) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.stop();
    serving.join();
    if (!stopRequested() && !served) throw SandboxError("the studio's server stopped: it could not accept connections");
    err << "plix-sandbox: studio stopped" << std::endl;
    return 0;
}

} // namespace

bool studioAvailable() { return true; }

int runStudio(const StudioOptions &options, std::ostream &out, std::ostream &err) {
    try {
        return studio(options, out, err);
    } catch (const std::exception &error) { // scene mistakes, module failures, a port in use
        err << "plix-sandbox: " << failureMessage(error) << "\n";
        return 1;
    }
}

} // namespace plix::sandbox

#else // built without cpp-httplib or three.js

namespace plix::sandbox {

bool studioAvailable() { return false; }

int runStudio(const StudioOptions &, std::ostream &, std::ostream &err) {
    err << "plix-sandbox: this build has no studio (it needs cpp-httplib and three.js when built)\n";
    return 1;
}

} // namespace plix::sandbox

#endif
