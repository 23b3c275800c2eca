// Running another program (usually this one again) as a child process and
// telling how it ended: a normal exit, a crash, or a hang cut off by a timeout.
// The child and every process it starts form one group (a process group on
// POSIX, a job object on Windows): at a timeout the whole group is killed, and
// whatever of it is still running when the child itself has ended is killed
// too, so nothing the child started outlives runChild.
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
    TimedOut,    // still running at the deadline; it and its group were killed
    StartFailed, // could not be started at all: see startError
    Interrupted, // a stop request came meanwhile (stop_requests.h): the child and
                 // its group were killed; see interruptSignal
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
    int interruptSignal = 0; // Interrupted only: to raise again once the caller has cleaned up
    bool outputTruncated = false;
    // Processes the child started were still running after it ended (they
    // have been killed). Only a process that left the group escapes this.
    // POSIX only: on Windows they are killed with the job but not reported.
    bool leftProcesses = false;
};

// Starts `executable` with `arguments` (not including the program name),
// stdin empty, stdout and stderr captured; waits for it to end or time out.
// Blocks the calling thread. Never throws for a failure of the child. On POSIX
// the child's group does not get the terminal's Ctrl-C, so while it runs stop
// requests are caught (a StopRequests of its own, nested in the caller's if
// there is one): they kill the group and end the wait as Interrupted.
ChildResult runChild(const std::filesystem::path &executable,
                     const std::vector<std::string> &arguments,
                     const ChildOptions &options = {});

// Called first by a program that runChild started: from here on it ends when
// its parent does, even a parent killed with SIGKILL (Linux: the parent-death
// signal; Windows: the parent's job object is closed with it and ends it).
void endWithParent();

// This process's id, and whether a process of an id is running (for telling
// the leftovers of dead runs from those of live ones).
long currentProcessId();
bool processRunning(long pid);

// What ended a crashed child, in words: "killed by signal 11 (SIGSEGV,
// segmentation fault)" on POSIX, "access violation (0xC0000005)" on Windows.
std::string crashText(int crashCode);

} // namespace plix::platform
