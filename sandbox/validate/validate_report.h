// The validator's two reports: one console line per check with a closing
// count, and the machine-readable JSON file.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "check_outcome.h"

namespace plix::validate {

// "pass   name: note", "fail   name: reason", ...
std::string consoleLine(const CheckOutcome &outcome);

// "N passed, N failed" and ", N skipped" when any were: a check that neither
// passed nor was skipped counts as failed.
std::string closingLine(const std::vector<CheckOutcome> &outcomes);

// Whether a report can be written to `path` (its folder takes a new file and
// `path` is no folder), tried before any check runs; false with `error` set.
bool canWriteReport(const std::string &path, std::string &error);

// Writes the JSON report to `path` whole or not at all, so a failed
// write never leaves half a report; false with `error` set on failure.
bool writeJsonReport(const std::string &path, const std::string &modulePath, std::uint64_t seed,
                     const std::vector<CheckOutcome> &outcomes, std::string &error);

} // namespace plix::validate
