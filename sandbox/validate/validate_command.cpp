#include "validate_command.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>

#include "check_child.h"
#include "check_registry.h"
#include "plix/platform/executable_path.h"
#include "plix/platform/module_file_check.h"
#include "run_checks.h"
#include "validate_arguments.h"
#include "validate_report.h"

namespace {

using namespace plix::validate;

struct ValidateOptions {
    std::string module;
    std::string seed;
    bool seedGiven = false; // without: a new one
    std::string timeout = "60";
    std::vector<std::string> only;
    std::vector<std::string> exclude;
    std::string json;
    bool list = false;
};

struct ChildOptions {
    std::string check;
    std::string module;
    std::uint64_t seed = 0;
    std::string result;
};

constexpr int usageError = 2;

// Ends the command with an exit code. CLI11's App::exit returns the code of an
// error named "RuntimeError" without printing anything; this one is not a
// ParseError, so a program that maps wrong command lines to its own exit code
// passes the command's code on unchanged.
class CommandExit : public CLI::Error {
public:
    explicit CommandExit(int code) : CLI::Error("RuntimeError", "command ended", code) {}
};

[[noreturn]] void stop(const std::string &message, int code) {
    if (!message.empty()) std::cerr << "plix-sandbox validate: " << message << '\n';
    throw CommandExit(code);
}

void listChecks() {
    for (const CheckInfo &check : allChecks()) {
        std::string name(check.name);
        name.resize(18, ' ');
        std::cout << name << check.summary << '\n';
    }
}

std::vector<std::string> selectChecks(const ValidateOptions &options) {
    for (const auto *names : {&options.only, &options.exclude})
        for (const std::string &name : *names)
            if (!findCheck(name)) stop("no check is named '" + name + "' (see --list)", usageError);
    std::vector<std::string> chosen;
    for (const CheckInfo &check : allChecks()) {
        const std::string name(check.name);
        const auto named = [&](const std::vector<std::string> &names) {
            return std::find(names.begin(), names.end(), name) != names.end();
        };
        if ((options.only.empty() || named(options.only)) && !named(options.exclude)) chosen.push_back(name);
    }
    if (chosen.empty()) stop("--only and --exclude leave no check to run", usageError);
    return chosen;
}

void runValidate(ValidateOptions &options) {
    if (options.list) {
        listChecks();
        return;
    }
    // Everything that can be known before the first check: the command line
    // first (exit 2), then the files it names (exit 1).
    RunSettings settings;
    std::string error;
    const std::optional<double> timeout = parseTimeoutSeconds(options.timeout, error);
    if (!timeout) stop("--timeout: " + error, usageError);
    settings.timeoutSeconds = *timeout;
    std::optional<std::uint64_t> seed = std::uint64_t{std::random_device{}() & 0xFFFFFFFFu};
    if (options.seedGiven && !(seed = parseSeed(options.seed, error))) stop("--seed: " + error, usageError);
    settings.seed = *seed;
    settings.checks = selectChecks(options);

    settings.executable = plix::platform::executablePath();
    if (settings.executable.empty()) stop("cannot tell where this program lives", 1);
    if (options.module.empty()) options.module = (settings.executable.parent_path() / "plix6.p").string();
    std::error_code ignored;
    // A file that is not there is the same mistake in every command: exit 1.
    if (!std::filesystem::is_regular_file(options.module, ignored))
        stop("cannot check the module " + options.module + ": the file " +
                 plix::platform::moduleFileProblem(options.module),
             1);
    settings.modulePath = std::filesystem::absolute(options.module, ignored).string();
    if (!options.json.empty() && !canWriteReport(options.json, error)) stop("--json: " + error, 1);

    std::cout << "validating " << settings.modulePath << " (seed " << settings.seed << ")\n" << std::flush;
    std::vector<CheckOutcome> outcomes;
    try {
        outcomes = runChecks(settings, [](const CheckOutcome &outcome) {
            std::cout << consoleLine(outcome) << '\n' << std::flush;
        });
    } catch (const std::runtime_error &error) {
        stop(error.what(), 1);
    } catch (const ChecksInterrupted &interrupted) {
        // The check and its processes are stopped, its files removed: end as the signal asked.
        std::cout << std::flush;
        std::signal(interrupted.signal, SIG_DFL);
        std::raise(interrupted.signal);
        stop("interrupted", 128 + interrupted.signal);
    }
    std::cout << closingLine(outcomes) << '\n' << std::flush;

    if (!options.json.empty() && !writeJsonReport(options.json, settings.modulePath, settings.seed, outcomes, error))
        stop(error, 1);
    for (const CheckOutcome &outcome : outcomes)
        if (outcome.status != CheckStatus::Pass) throw CommandExit(1);
}

} // namespace

void addValidateCommand(CLI::App &app) {
    auto options = std::make_shared<ValidateOptions>();
    CLI::App *validate = app.add_subcommand(
        "validate", "Check a module file as the host uses it; every check runs in a child process of its own");
    validate->add_option("MODULE", options->module, "Module file to check (default: plix6.p beside this program)");
    validate->add_option_function<std::string>(
        "--seed",
        [options](const std::string &seed) {
            options->seed = seed;
            options->seedGiven = true;
        },
        "Seed of the randomised checks, 0 to 18446744073709551615; the same seed replays them exactly "
        "(default: a new one, printed)");
    validate->add_option("--only", options->only, "Run only these checks: NAME[,NAME...] as --list shows them")
        ->delimiter(',')
        ->allow_extra_args(false);
    validate->add_option("--exclude", options->exclude, "Leave these checks out: NAME[,NAME...]")
        ->delimiter(',')
        ->allow_extra_args(false);
    validate->add_option("--json", options->json, "Also write a machine-readable report to this file");
    validate->add_option("--timeout", options->timeout,
                         "Seconds a check may run before it is stopped with every process it started, above 0 and "
                         "at most 86400")
        ->capture_default_str();
    validate->add_flag("--list", options->list, "List the checks and exit");
    validate->footer("Prints one line per check (pass, fail, crash, timeout or skipped, with the reason) and\n"
                     "closes with 'N passed, N failed'. A module file that does not load stops the run: the\n"
                     "checks after the one that found it are skipped. Exit code: 0 when every check passed,\n"
                     "1 when any did not, 2 for a usage error.");
    validate->callback([options] { runValidate(*options); });

    auto child = std::make_shared<ChildOptions>();
    CLI::App *check = app.add_subcommand(childCommandName, "Runs one validator check (used by validate)");
    check->group(""); // hidden: only validate starts it
    check->add_option("CHECK", child->check)->required();
    check->add_option("MODULE", child->module)->required();
    check->add_option("--seed", child->seed)->required();
    check->add_option("--result", child->result)->required();
    check->callback([child] {
        const int code = runCheckInChild(child->check, child->module, child->seed, child->result);
        if (code != 0) throw CommandExit(code);
    });
}
