#include "run_checks.h"

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "check_child.h"
#include "plix/platform/child_process.h"

namespace plix::validate {
namespace {

namespace fs = std::filesystem;

// Folders "plix-validate-PID-N" of runs that were killed before they could
// remove them: their process is gone.
void clearFoldersOfDeadRuns(const fs::path &base) {
    std::error_code error;
    std::vector<fs::path> stale;
    for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::string prefix = "plix-validate-";
        if (name.rfind(prefix, 0) != 0 || !it->is_directory(error) || it->is_symlink(error)) continue;
        const std::string rest = name.substr(prefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos ||
            rest.substr(0, dash).find_first_not_of("0123456789") != std::string::npos || dash > 18)
            continue;
        if (!platform::processRunning(std::stol(rest.substr(0, dash)))) stale.push_back(it->path());
    }
    for (const fs::path &folder : stale) fs::remove_all(folder, error);
}

// A folder of this run's own in the temporary folder, for the children's
// result files; removed with everything in it when the run ends.
class ResultFolder {
public:
    ResultFolder() {
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        if (error) throw std::runtime_error("cannot find the temporary folder: " + error.message());
        clearFoldersOfDeadRuns(base);
        std::random_device random;
        const std::string prefix = "plix-validate-" + std::to_string(platform::currentProcessId()) + "-";
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path candidate = base / (prefix + std::to_string(random()));
            // create_directory is false for a folder that exists: never one made by someone else.
            if (fs::create_directory(candidate, error)) {
                path_ = candidate;
                return;
            }
            if (error) throw std::runtime_error("cannot make a folder in " + base.string() + ": " + error.message());
        }
        throw std::runtime_error("cannot make a folder of its own in " + base.string());
    }
    ~ResultFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ResultFolder(const ResultFolder &) = delete;
    ResultFolder &operator=(const ResultFolder &) = delete;

    fs::path fileFor(const std::string &check) const { return path_ / (check + ".result"); }

private:
    fs::path path_;
};

// The whole file (a result is a few hundred bytes), and the file removed.
std::string takeFile(const fs::path &path) {
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::ostringstream all;
            all << in.rdbuf();
            text = all.str();
        }
    }
    std::error_code ignored;
    fs::remove(path, ignored);
    return text;
}

} // namespace

std::vector<CheckOutcome> runChecks(const RunSettings &settings,
                                    const std::function<void(const CheckOutcome &)> &onResult) {
    const ResultFolder results;
    std::vector<CheckOutcome> outcomes;
    platform::ChildOptions options;
    options.timeout = std::chrono::milliseconds(static_cast<long long>(settings.timeoutSeconds * 1000.0));
    std::string unloadedIn; // the check that found that the module does not load
    for (const std::string &name : settings.checks) {
        if (!unloadedIn.empty()) {
            outcomes.push_back(skippedCheck(name, unloadedIn));
            if (onResult) onResult(outcomes.back());
            continue;
        }
        const fs::path resultFile = results.fileFor(name);
        const auto start = std::chrono::steady_clock::now();
        const platform::ChildResult child = platform::runChild(
            settings.executable,
            {childCommandName, name, settings.modulePath, "--seed", std::to_string(settings.seed), "--result",
             resultFile.string()},
            options);
        if (child.outcome == platform::ChildOutcome::Interrupted) throw ChecksInterrupted{child.interruptSignal};
        CheckOutcome outcome = judgeChild(name, child, takeFile(resultFile), settings.timeoutSeconds);
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (outcome.moduleDidNotLoad) unloadedIn = name;
        if (onResult) onResult(outcome);
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

} // namespace plix::validate
