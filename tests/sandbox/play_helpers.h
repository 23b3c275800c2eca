// Helpers for tests that play scenes through the real plix6.p.
//
// The module's random generator keeps one sequence per thread, starting
// afresh in each new thread. A plix-sandbox process plays one scene on its
// main thread; to get the same launch data here, every play runs on a
// thread of its own.
#pragma once

#include <cstdint>
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

// One record of a PLY cache file.
struct CachedSpark {
    std::int32_t effect = 0;
    std::int32_t index = 0;
    double x = 0, y = 0, z = 0;
    float age = 0;
    std::uint8_t parked = 0;
};

// Reads a cache file written as binary little-endian PLY on this (little-
// endian) machine.
inline std::vector<CachedSpark> readPlyCache(const std::filesystem::path &file) {
    const std::string bytes = readWholeFile(file);
    const std::string marker = "end_header\n";
    const std::size_t body = bytes.find(marker);
    if (body == std::string::npos) throw std::runtime_error("no PLY header in " + file.string());
    constexpr std::size_t recordSize = 4 + 4 + 3 * 8 + 4 + 1;
    std::vector<CachedSpark> sparks;
    for (std::size_t at = body + marker.size(); at + recordSize <= bytes.size(); at += recordSize) {
        CachedSpark s;
        const char *p = bytes.data() + at;
        std::memcpy(&s.effect, p, 4);
        std::memcpy(&s.index, p + 4, 4);
        std::memcpy(&s.x, p + 8, 8);
        std::memcpy(&s.y, p + 16, 8);
        std::memcpy(&s.z, p + 24, 8);
        std::memcpy(&s.age, p + 32, 4);
        std::memcpy(&s.parked, p + 36, 1);
        sparks.push_back(s);
    }
    return sparks;
}

} // namespace plix::testing
