#include "check_child.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "check_registry.h"

namespace plix::validate {
namespace {

// One line, whatever the check's message held.
std::string oneLine(std::string message) {
    for (char &c : message)
        if (c == '\n' || c == '\r') c = ' ';
    return message;
}

int report(bool passed, const std::string &message) {
    std::printf("\n%.*s%s %s\n", static_cast<int>(resultMarker.size()), resultMarker.data(), passed ? "pass" : "fail",
                oneLine(message).c_str());
    std::fflush(stdout);
    if (!passed) std::_Exit(childFailed);
    return childPassed;
}

} // namespace

void failCheckNow(const std::string &reason) {
    report(false, reason);
    std::_Exit(childFailed);
}

int runCheckInChild(const std::string &checkName, const std::string &modulePath, std::uint64_t runSeed) {
    const CheckInfo *check = findCheck(checkName);
    if (!check) return report(false, "no check is named " + checkName);
    const std::uint64_t seed = checkSeed(runSeed, check->name);
    CheckContext context{modulePath, seed, CheckRandom(seed)};
    try {
        return report(true, check->run(context));
    } catch (const CheckFailure &failure) {
        return report(false, failure.what());
    } catch (const std::exception &error) {
        return report(false, std::string("unexpected error: ") + error.what());
    }
}

} // namespace plix::validate
