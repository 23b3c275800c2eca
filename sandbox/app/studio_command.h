// `plix-sandbox studio`: serves a local web page that shows a scene's sparks
// in 3D, plays and scrubs its frames, and shows each effect's settings panel
// as the module builds it, live. Runs until Ctrl-C or SIGTERM.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace plix::sandbox {

struct StudioOptions {
    std::optional<std::filesystem::path> scene; // none: the built-in scene
    std::filesystem::path module;               // empty: plix6.p beside the program
    int port = 8630;                            // 0: a free port (defaultStudioPort)
    std::string listen = "127.0.0.1";
    std::optional<std::filesystem::path> save;  // none: the scene file, if any
};

inline constexpr int defaultStudioPort = 8630;

// Whether this build has the studio (cpp-httplib and three.js at build time).
bool studioAvailable();

// Prints the URL (with the access token) as the first line on `out`, serves
// until a stop signal, and returns the exit code: 0 after a clean stop, 1
// after a message on `err`.
int runStudio(const StudioOptions &options, std::ostream &out, std::ostream &err);

} // namespace plix::sandbox
