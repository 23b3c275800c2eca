// Helpers for tests that play scenes through the real plix6.p.
//
// The module's random generator keeps one sequence per thread, starting
// afresh in each new thread. A plix-sandbox process plays one scene on its
// main thread; to get the same launch data here, every play runs on a
// thread of its own (onFreshThread).
#pragma once

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/panel_command.h"
#include "app/play_command.h"
#include "fresh_thread.h"
#include "ply_file.h"
#include "temp_folder.h"

namespace plix::testing {

using test::onFreshThread;

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline CommandResult play(sandbox::PlayOptions options) {
    if (options.module.empty()) options.module = PLIX_MODULE_PATH;
    options.progress = false;
    CommandResult result;
    std::ostringstream out, err;
    onFreshThread([&] { result.exitCode = sandbox::runPlay(options, out, err); });
    result.out = out.str();
    result.err = err.str();
    return result;
}

inline CommandResult panel(sandbox::PanelOptions options) {
    if (options.module.empty()) options.module = PLIX_MODULE_PATH;
    CommandResult result;
    std::ostringstream out, err;
    onFreshThread([&] { result.exitCode = sandbox::runPanel(options, out, err); });
    result.out = out.str();
    result.err = err.str();
    return result;
}

// One vertex of a PLY cache file.
struct CachedSpark {
    double x = 0, y = 0, z = 0;
    double vx = 0, vy = 0, vz = 0;
    std::int32_t id = 0;
    float age = 0;
    std::uint8_t parked = 0; // only with --keep-parked
};

struct CachedFrame {
    std::vector<std::string> header; // every header line, "ply" to "end_header"
    std::vector<CachedSpark> sparks;
};

// Reads a cache file as the sandbox writes it, checking its properties'
// layout on the way.
inline CachedFrame readPlyFrame(const std::filesystem::path &path) {
    const PlyFile file = readPlyFile(path);
    CachedFrame frame;
    frame.header = file.lines;
    std::vector<std::string> properties;
    for (const PlyProperty &p : file.properties) properties.push_back(p.type + " " + p.name);
    const std::vector<std::string> expected{"double x",  "double y",  "double z", "double vx",
                                            "double vy", "double vz", "int id",   "float age"};
    const bool parked = properties.size() == expected.size() + 1;
    if (properties.size() < expected.size() || !std::equal(expected.begin(), expected.end(), properties.begin()) ||
        (parked && properties.back() != "uchar parked") || properties.size() > expected.size() + 1)
        throw std::runtime_error("unexpected PLY properties in " + path.string());
    const PlyProperty &id = *file.find("id"), &age = *file.find("age");
    for (std::size_t r = 0; r < file.count; ++r) {
        CachedSpark s;
        double *doubles[] = {&s.x, &s.y, &s.z, &s.vx, &s.vy, &s.vz};
        for (int c = 0; c < 6; ++c) *doubles[c] = file.value<double>(r, file.properties[static_cast<std::size_t>(c)]);
        s.id = file.value<std::int32_t>(r, id);
        s.age = file.value<float>(r, age);
        if (parked) s.parked = file.value<std::uint8_t>(r, file.properties.back());
        frame.sparks.push_back(s);
    }
    return frame;
}

inline std::vector<CachedSpark> readPlyCache(const std::filesystem::path &file) { return readPlyFrame(file).sparks; }

} // namespace plix::testing
