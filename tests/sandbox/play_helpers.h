// Helpers for tests that play scenes through the real plix6.p.
//
// The module's random generator keeps one sequence per thread, starting
// afresh in each new thread. A plix-sandbox process plays one scene on its
// main thread; to get the same launch data here, every play runs on a
// thread of its own.
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
#include "temp_folder.h"

namespace plix::testing {

inline void onFreshThread(const std::function<void()> &work) {
    std::exception_ptr failure;
    std::thread thread([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    thread.join();
    if (failure) std::rethrow_exception(failure);
}

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

// Reads a cache file as the sandbox writes it (binary little-endian PLY on
// this little-endian machine), checking the header's layout on the way.
inline CachedFrame readPlyFrame(const std::filesystem::path &file) {
    const std::string bytes = readWholeFile(file);
    const std::string marker = "end_header\n";
    const std::size_t body = bytes.find(marker);
    if (body == std::string::npos) throw std::runtime_error("no PLY header in " + file.string());
    CachedFrame frame;
    std::istringstream header(bytes.substr(0, body + marker.size()));
    std::size_t count = 0;
    std::vector<std::string> properties;
    for (std::string line; std::getline(header, line);) {
        frame.header.push_back(line);
        if (line.rfind("element vertex ", 0) == 0) count = std::stoul(line.substr(15));
        if (line.rfind("property ", 0) == 0) properties.push_back(line);
    }
    const std::vector<std::string> expected{
        "property double x",  "property double y",  "property double z", "property double vx",
        "property double vy", "property double vz", "property int id",   "property float age"};
    const bool parked = properties.size() == expected.size() + 1;
    if (!std::equal(expected.begin(), expected.end(), properties.begin()) ||
        (parked && properties.back() != "property uchar parked") || properties.size() < expected.size())
        throw std::runtime_error("unexpected PLY properties in " + file.string());
    const std::size_t recordSize = 6 * 8 + 4 + 4 + (parked ? 1 : 0);
    if (bytes.size() != body + marker.size() + count * recordSize)
        throw std::runtime_error(file.string() + ": the body is not " + std::to_string(count) + " records");
    for (std::size_t r = 0; r < count; ++r) {
        CachedSpark s;
        const char *p = bytes.data() + body + marker.size() + r * recordSize;
        double *doubles[] = {&s.x, &s.y, &s.z, &s.vx, &s.vy, &s.vz};
        for (int c = 0; c < 6; ++c) std::memcpy(doubles[c], p + 8 * c, 8);
        std::memcpy(&s.id, p + 48, 4);
        std::memcpy(&s.age, p + 52, 4);
        if (parked) std::memcpy(&s.parked, p + 56, 1);
        frame.sparks.push_back(s);
    }
    return frame;
}

inline std::vector<CachedSpark> readPlyCache(const std::filesystem::path &file) { return readPlyFrame(file).sparks; }

} // namespace plix::testing
