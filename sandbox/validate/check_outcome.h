// How the parent judges one child: pass, fail (the check said why), crash (the
// child died: signal, exception, sanitizer report) or timeout; and skipped, for
// the checks not run after the module file failed to load.
#pragma once

#include <string>

#include "plix/platform/child_process.h"

namespace plix::validate {

enum class CheckStatus { Pass, Fail, Crash, Timeout, Skipped };

struct CheckOutcome {
    std::string name;
    CheckStatus status = CheckStatus::Crash;
    std::string message; // the pass note, or the reason for anything else
    double seconds = 0.0;
    std::string errorOutput; // the end of the child's stderr, when it did not pass
    bool moduleDidNotLoad = false; // the checks after this one are skipped
};

const char *statusWord(CheckStatus status);

// Judges a finished child by its exit and the text of its result file (empty
// when it wrote none); `timeoutSeconds` is only used in the message. Keeps at
// most this much of the stderr of a child that did not pass.
inline constexpr std::size_t keptErrorOutput = 16384;
CheckOutcome judgeChild(const std::string &name, const platform::ChildResult &child, const std::string &resultText,
                        double timeoutSeconds);

// A check not run because an earlier one found that the module does not load.
CheckOutcome skippedCheck(const std::string &name, const std::string &failedCheck);

} // namespace plix::validate
