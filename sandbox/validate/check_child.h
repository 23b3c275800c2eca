// The child's side of one check: run it in this process and report the result
// to the parent as one marked line on stdout and the exit code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plix::validate {

// The marker that starts the child's result line.
inline constexpr std::string_view resultMarker = "plix-validate-result ";

// Exit codes of a child that ran its check to the end.
inline constexpr int childPassed = 0;
inline constexpr int childFailed = 3;

// Runs the named check against the module and prints the result line. Returns
// the exit code of a pass; a failure ends the process at once (what a failed
// check leaves behind is not worth a leak report).
int runCheckInChild(const std::string &checkName, const std::string &modulePath, std::uint64_t runSeed);

// Reports a failure and ends the process: for callbacks the module calls,
// which cannot unwind through the module.
[[noreturn]] void failCheckNow(const std::string &reason);

} // namespace plix::validate
