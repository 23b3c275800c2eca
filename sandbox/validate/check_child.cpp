#include "check_child.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "check_registry.h"
#include "module_session.h"

namespace plix::validate {
namespace {

std::string resultFile; // where this child reports, set before the check runs

// One line, whatever the check's message held.
std::string oneLine(std::string message) {
    for (char &c : message)
        if (c == '\n' || c == '\r') c = ' ';
    return message;
}

// Writes the result file; a failure ends the process at once.
int report(std::string_view verdict, const std::string &message) {
    const std::string body = std::string(verdict) + '\n' + oneLine(message) + '\n';
    std::FILE *file = std::fopen(resultFile.c_str(), "wb");
    const bool written = file && std::fwrite(body.data(), 1, body.size(), file) == body.size();
    const bool closed = file && std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "cannot write the check's result to %s\n", resultFile.c_str());
        std::_Exit(childCannotReport);
    }
    if (verdict != verdictPass) std::_Exit(childFailed);
    return childPassed;
}

} // namespace

void failCheckNow(const std::string &reason) {
    report(verdictFail, reason);
    std::_Exit(childFailed);
}

int runCheckInChild(const std::string &checkName, const std::string &modulePath, std::uint64_t runSeed,
                    const std::string &resultPath) {
    resultFile = resultPath;
    const CheckInfo *check = findCheck(checkName);
    if (!check) return report(verdictFail, "no check is named " + checkName);
    const std::uint64_t seed = checkSeed(runSeed, check->name);
    CheckContext context{modulePath, seed, CheckRandom(seed)};
    try {
        return report(verdictPass, check->run(context));
    } catch (const ModuleDidNotLoad &failure) {
        return report(verdictUnloadable, failure.what());
    } catch (const CheckFailure &failure) {
        return report(verdictFail, failure.what());
    } catch (const std::exception &error) {
        return report(verdictFail, std::string("unexpected error: ") + error.what());
    }
}

} // namespace plix::validate
