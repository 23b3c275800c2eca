// The parent's side: one child process per check, one after another.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "check_outcome.h"

namespace plix::validate {

struct RunSettings {
    std::filesystem::path executable; // this program, started again for each check
    std::string modulePath;
    std::uint64_t seed = 0;
    double timeoutSeconds = 60.0;
    std::vector<std::string> checks; // names, in run order
};

// This program was asked to stop (SIGINT, SIGTERM, SIGHUP) while a check ran:
// the check is stopped and the temporary files removed; the caller ends the
// program with the signal.
struct ChecksInterrupted {
    int signal;
};

// Runs every check in its own child; `onResult` hears each outcome as it comes.
// Once a check finds that the module file does not load, the rest are
// skipped. Throws ChecksInterrupted when interrupted, std::runtime_error when there is no temporary folder to
// take the children's results.
std::vector<CheckOutcome> runChecks(const RunSettings &settings,
                                    const std::function<void(const CheckOutcome &)> &onResult);

// The hidden subcommand that runs one check in the child.
inline constexpr const char *childCommandName = "validate-check";

} // namespace plix::validate
