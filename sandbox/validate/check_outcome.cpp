#include "check_outcome.h"

#include <cstdio>
#include <sstream>

#include "check_child.h"

namespace plix::validate {
namespace {

// The verdict and message of a result file; false if it holds none.
bool resultLine(const std::string &text, std::string &verdict, std::string &message) {
    const std::size_t end = text.find('\n');
    if (end == std::string::npos) return false;
    verdict = text.substr(0, end);
    message = text.substr(end + 1);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    return verdict == verdictPass || verdict == verdictFail || verdict == verdictUnloadable;
}

std::string secondsText(double seconds) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", seconds);
    return buffer;
}

// The first line of stderr that tells why a child died, if it says so.
std::string dyingWords(const std::string &err) {
    static const char *const signs[] = {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                                        "runtime error:", "terminate called", "Assertion"};
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);)
        for (const char *sign : signs)
            if (line.find(sign) != std::string::npos) {
                const std::size_t start = line.find_first_not_of(" =0123456789");
                line = start == std::string::npos ? line : line.substr(start);
                for (const char *noise : {" (pc ", " at pc "}) line = line.substr(0, line.find(noise));
                return line;
            }
    return "";
}

std::string withWords(std::string what, const std::string &err) {
    const std::string words = dyingWords(err);
    return words.empty() ? what : what + ": " + words;
}

CheckOutcome judgeEnd(const std::string &name, const platform::ChildResult &child, const std::string &resultText,
                      double timeoutSeconds) {
    CheckOutcome outcome;
    outcome.name = name;
    std::string verdict, message;
    switch (child.outcome) {
    case platform::ChildOutcome::StartFailed:
        outcome.message = "could not start the check: " + child.startError;
        return outcome;
    case platform::ChildOutcome::TimedOut:
        outcome.status = CheckStatus::Timeout;
        outcome.message =
            "still running after " + secondsText(timeoutSeconds) + " s; stopped with every process it started";
        return outcome;
    case platform::ChildOutcome::Crashed:
        outcome.message = withWords(platform::crashText(child.crashCode), child.err);
        return outcome;
    case platform::ChildOutcome::Interrupted:
        outcome.message = "interrupted: this program was asked to stop";
        return outcome;
    case platform::ChildOutcome::Exited: break;
    }
    const bool marked = resultLine(resultText, verdict, message);
    if (marked && verdict == verdictPass && child.exitCode == childPassed) {
        outcome.status = CheckStatus::Pass;
        outcome.message = message;
    } else if (marked && verdict != verdictPass && child.exitCode == childFailed) {
        outcome.status = CheckStatus::Fail;
        outcome.message = message;
        outcome.moduleDidNotLoad = verdict == verdictUnloadable;
    } else {
        outcome.message = withWords("ended with exit code " + std::to_string(child.exitCode) +
                                        (marked ? " after reporting " + verdict : " before reporting"),
                                    child.err);
    }
    return outcome;
}

} // namespace

const char *statusWord(CheckStatus status) {
    switch (status) {
    case CheckStatus::Pass: return "pass";
    case CheckStatus::Fail: return "fail";
    case CheckStatus::Crash: return "crash";
    case CheckStatus::Timeout: return "timeout";
    case CheckStatus::Skipped: return "skipped";
    }
    return "crash";
}

CheckOutcome judgeChild(const std::string &name, const platform::ChildResult &child, const std::string &resultText,
                        double timeoutSeconds) {
    CheckOutcome outcome = judgeEnd(name, child, resultText, timeoutSeconds);
    if (child.leftProcesses) { // a module that leaves processes behind in the host is at fault, whatever it passed
        if (outcome.status == CheckStatus::Pass) {
            outcome.status = CheckStatus::Fail;
            outcome.message = "left processes running after the check ended (they were stopped); the check itself: " +
                              outcome.message;
        } else {
            outcome.message += "; it also left processes running (they were stopped)";
        }
    }
    if (outcome.status != CheckStatus::Pass)
        outcome.errorOutput =
            child.err.size() > keptErrorOutput ? child.err.substr(child.err.size() - keptErrorOutput) : child.err;
    return outcome;
}

CheckOutcome skippedCheck(const std::string &name, const std::string &failedCheck) {
    CheckOutcome outcome;
    outcome.name = name;
    outcome.status = CheckStatus::Skipped;
    outcome.message = "not run: the module did not load (see " + failedCheck + ")";
    return outcome;
}

} // namespace plix::validate
