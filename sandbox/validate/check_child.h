// The child's side of one check: run it in this process and report the result
// to the parent through a file the parent named (never through stdout, which
// the module may write to as it likes) and the exit code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plix::validate {

// The result file holds the verdict on its first line and the message after
// it. "unloadable" is a failure because the module file did not load: the
// checks after it would only fail the same way.
inline constexpr std::string_view verdictPass = "pass";
inline constexpr std::string_view verdictFail = "fail";
inline constexpr std::string_view verdictUnloadable = "unloadable";

// Exit codes of a child that ran its check to the end.
inline constexpr int childPassed = 0;
inline constexpr int childFailed = 3;
// The result could not be written.
inline constexpr int childCannotReport = 4;

// Runs the named check against the module and writes the result file.
// Returns the exit code of a pass; a failure ends the process at once (what a
// failed check leaves behind is not worth a leak report).
int runCheckInChild(const std::string &checkName, const std::string &modulePath, std::uint64_t runSeed,
                    const std::string &resultPath);

// Reports a failure and ends the process: for callbacks the module calls,
// which cannot unwind through the module.
[[noreturn]] void failCheckNow(const std::string &reason);

} // namespace plix::validate
