#include "app/validate_command.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <stdexcept>

#include "app/module_location.h"
#include "check_child.h"
#include "check_registry.h"
#include "files/path_clash.h"
#include "plix/platform/child_process.h"
#include "plix/platform/executable_path.h"
#include "plix/platform/module_file_check.h"
#include "plix/platform/stop_requests.h"
#include "run_checks.h"
#include "validate_arguments.h"
#include "validate_report.h"

namespace plix::sandbox {
namespace {

using namespace plix::validate;

constexpr int failed = 1;
constexpr int usageError = 2;

int refuse(std::ostream &err, const std::string &message, int code) {
    err << "plix-sandbox validate: " << message << '\n';
    return code;
}

void listChecks(std::ostream &out) {
    for (const CheckInfo &check : allChecks()) {
        std::string name(check.name);
        name.resize(18, ' ');
        out << name << check.summary << '\n';
    }
}

// The checks that --only and --exclude leave, in the registry's order; empty
// with `error` set when a name is unknown or nothing is left.
std::vector<std::string> selectChecks(const ValidateOptions &options, std::string &error) {
    for (const auto *names : {&options.only, &options.exclude})
        for (const std::string &name : *names)
            if (!findCheck(name)) {
                error = "no check is named '" + name + "' (see --list)";
                return {};
            }
    std::vector<std::string> chosen;
    for (const CheckInfo &check : allChecks()) {
        const std::string name(check.name);
        const auto named = [&](const std::vector<std::string> &names) {
            return std::find(names.begin(), names.end(), name) != names.end();
        };
        if ((options.only.empty() || named(options.only)) && !named(options.exclude)) chosen.push_back(name);
    }
    if (chosen.empty()) error = "--only and --exclude leave no check to run";
    return chosen;
}

} // namespace

int runValidate(ValidateOptions options, std::ostream &out, std::ostream &err) {
    if (options.list) {
        listChecks(out);
        return 0;
    }
    // Everything that can be known before the first check: the command line
    // first (exit 2), then the files it names (exit 1).
    RunSettings settings;
    std::string error;
    const std::optional<double> timeout = parseTimeoutSeconds(options.timeout, error);
    if (!timeout) return refuse(err, "--timeout: " + error, usageError);
    settings.timeoutSeconds = *timeout;
    std::optional<std::uint64_t> seed = std::uint64_t{std::random_device{}() & 0xFFFFFFFFu};
    if (options.seedGiven && !(seed = parseSeed(options.seed, error)))
        return refuse(err, "--seed: " + error, usageError);
    settings.seed = *seed;
    settings.checks = selectChecks(options, error);
    if (settings.checks.empty()) return refuse(err, error, usageError);

    settings.executable = platform::executablePath();
    if (settings.executable.empty()) return refuse(err, "cannot tell where this program lives", failed);
    if (options.module.empty()) options.module = defaultModulePath().string();
    std::error_code ignored;
    // A file that is not there is the same mistake in every command: exit 1.
    if (!std::filesystem::is_regular_file(options.module, ignored))
        return refuse(err,
                      "cannot check the module " + options.module + ": the file " +
                          platform::moduleFileProblem(options.module),
                      failed);
    settings.modulePath = std::filesystem::absolute(options.module, ignored).string();
    if (!options.json.empty() && files::sameFile(options.json, options.module))
        return refuse(err, "--json " + options.json + " is the module " + options.module +
                               ": the report would replace the module it checks; write it elsewhere",
                      failed);
    if (!options.json.empty() && !canWriteReport(options.json, error)) return refuse(err, "--json: " + error, failed);

    out << "validating " << settings.modulePath << " (seed " << settings.seed << ")\n" << std::flush;
    std::vector<CheckOutcome> outcomes;
    const platform::StopRequests stopRequests; // a stop between two checks ends the next one at once
    try {
        outcomes = runChecks(settings, [&out](const CheckOutcome &outcome) {
            out << consoleLine(outcome) << '\n' << std::flush;
        });
    } catch (const std::runtime_error &problem) {
        return refuse(err, problem.what(), failed);
    } catch (const ChecksInterrupted &interrupted) {
        // The check and its processes are stopped, its files removed: end as the signal asked.
        out << std::flush;
        platform::endAsSignalled(interrupted.signal);
    }
    out << closingLine(outcomes) << '\n' << std::flush;

    if (!options.json.empty() && !writeJsonReport(options.json, settings.modulePath, settings.seed, outcomes, error))
        return refuse(err, error, failed);
    const bool allPassed = std::all_of(outcomes.begin(), outcomes.end(),
                                       [](const CheckOutcome &outcome) { return outcome.status == CheckStatus::Pass; });
    return allPassed ? 0 : failed;
}

int runCheckChild(const CheckChildOptions &options) {
    platform::endWithParent(); // a validate that is killed leaves no check running
    return runCheckInChild(options.check, options.module, options.seed, options.result);
}

} // namespace plix::sandbox
