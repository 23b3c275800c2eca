// Running another program (usually this one again) as a child process and
// telling how it ended: a normal exit, a crash, or a hang cut off by a timeout.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace plix::platform {

enum class ChildOutcome {
    Exited,      // returned from main or called exit: see exitCode
    Crashed,     // killed by a signal / ended by an unhandled exception: see crashCode
    TimedOut,    // still running at the deadline; it was killed
    StartFailed, // could not be started at all: see startError
};

struct ChildOptions {
    // The child is killed once this has passed.
    std::chrono::milliseconds timeout{std::chrono::seconds(30)};
    // Output beyond this many bytes per stream is read and dropped, so a
    // runaway child cannot exhaust memory.
    std::size_t maxCapturedBytes = 16u << 20;
    // Variables set for the child on top of this process's environment
    // (replacing any of the same name).
    std::vector<std::pair<std::string, std::string>> extraEnvironment;
};

struct ChildResult {
    ChildOutcome outcome = ChildOutcome::StartFailed;
    int exitCode = 0;  // Exited only
    int crashCode = 0; // Crashed only: signal number (POSIX) or exception code (Windows)
    std::string out;   // everything the child wrote to stdout (up to the cap)
    std::string err;   // everything the child wrote to stderr (up to the cap)
    std::string startError; // StartFailed only
    bool outputTruncated = false;
};

// Starts `executable` with `arguments` (not including the program name),
// stdin empty, stdout and stderr captured; waits for it to end or time out.
// Blocks the calling thread. Never throws for a failure of the child.
ChildResult runChild(const std::filesystem::path &executable,
                     const std::vector<std::string> &arguments,
                     const ChildOptions &options = {});

} // namespace plix::platform
