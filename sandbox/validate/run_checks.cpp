#include "run_checks.h"

#include <chrono>

#include "plix/platform/child_process.h"

namespace plix::validate {

std::vector<CheckOutcome> runChecks(const RunSettings &settings,
                                    const std::function<void(const CheckOutcome &)> &onResult) {
    std::vector<CheckOutcome> outcomes;
    platform::ChildOptions options;
    options.timeout = std::chrono::milliseconds(static_cast<long long>(settings.timeoutSeconds * 1000.0));
    for (const std::string &name : settings.checks) {
        const auto start = std::chrono::steady_clock::now();
        const platform::ChildResult child = platform::runChild(
            settings.executable, {childCommandName, name, settings.modulePath, "--seed", std::to_string(settings.seed)},
            options);
        CheckOutcome outcome = judgeChild(name, child, settings.timeoutSeconds);
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (onResult) onResult(outcome);
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

} // namespace plix::validate
