#include "check_outcome.h"

#include <cstdio>
#include <sstream>

#include "check_child.h"

namespace plix::validate {
namespace {

// The text after the last result marker in the child's output; false if none.
bool resultLine(const std::string &out, std::string &verdict, std::string &message) {
    const std::size_t at = out.rfind(resultMarker);
    if (at == std::string::npos) return false;
    std::string line = out.substr(at + resultMarker.size());
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back(); // a Windows child's text-mode newline
    const std::size_t space = line.find(' ');
    verdict = line.substr(0, space);
    message = space == std::string::npos ? "" : line.substr(space + 1);
    return true;
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

std::string crashText(int code) {
#if defined(_WIN32)
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    switch (static_cast<unsigned>(code)) {
    case 0xC0000005u: return std::string("access violation (") + hex + ")";
    case 0xC00000FDu: return std::string("stack overflow (") + hex + ")";
    case 0xC0000094u: return std::string("integer division by zero (") + hex + ")";
    case 0xC0000409u: return std::string("stack buffer overrun or abort (") + hex + ")";
    default: return std::string("exception ") + hex;
    }
#else
    switch (code) {
    case 4: return "killed by signal 4 (SIGILL)";
    case 6: return "killed by signal 6 (SIGABRT)";
    case 7: return "killed by signal 7 (SIGBUS)";
    case 8: return "killed by signal 8 (SIGFPE)";
    case 9: return "killed by signal 9 (SIGKILL)";
    case 11: return "killed by signal 11 (SIGSEGV)";
    default: return "killed by signal " + std::to_string(code);
    }
#endif
}

std::string withWords(std::string what, const std::string &err) {
    const std::string words = dyingWords(err);
    return words.empty() ? what : what + ": " + words;
}

CheckOutcome judgeEnd(const std::string &name, const platform::ChildResult &child, double timeoutSeconds) {
    CheckOutcome outcome;
    outcome.name = name;
    std::string verdict, message;
    switch (child.outcome) {
    case platform::ChildOutcome::StartFailed:
        outcome.message = "could not start the check: " + child.startError;
        return outcome;
    case platform::ChildOutcome::TimedOut:
        outcome.status = CheckStatus::Timeout;
        outcome.message = "still running after " + std::to_string(static_cast<long>(timeoutSeconds)) + " s; stopped";
        return outcome;
    case platform::ChildOutcome::Crashed:
        outcome.message = withWords(crashText(child.crashCode), child.err);
        return outcome;
    case platform::ChildOutcome::Exited: break;
    }
    const bool marked = resultLine(child.out, verdict, message);
    if (marked && verdict == "pass" && child.exitCode == childPassed) {
        outcome.status = CheckStatus::Pass;
        outcome.message = message;
    } else if (marked && verdict == "fail" && child.exitCode == childFailed) {
        outcome.status = CheckStatus::Fail;
        outcome.message = message;
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
    }
    return "crash";
}

CheckOutcome judgeChild(const std::string &name, const platform::ChildResult &child, double timeoutSeconds) {
    CheckOutcome outcome = judgeEnd(name, child, timeoutSeconds);
    if (outcome.status != CheckStatus::Pass)
        outcome.errorOutput =
            child.err.size() > keptErrorOutput ? child.err.substr(child.err.size() - keptErrorOutput) : child.err;
    return outcome;
}

} // namespace plix::validate
