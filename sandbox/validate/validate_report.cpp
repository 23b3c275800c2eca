#include "validate_report.h"

#include <filesystem>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "files/atomic_file.h"
#include "plix/platform/build_info.h"
#include "plix/platform/sha256.h"

namespace plix::validate {
namespace {

std::size_t countOf(const std::vector<CheckOutcome> &outcomes, CheckStatus status) {
    std::size_t count = 0;
    for (const CheckOutcome &outcome : outcomes) count += outcome.status == status;
    return count;
}

} // namespace

std::string consoleLine(const CheckOutcome &outcome) {
    std::string word = statusWord(outcome.status);
    word.resize(8, ' ');
    std::string line = word + outcome.name;
    if (!outcome.message.empty()) line += ": " + outcome.message;
    return line;
}

std::string closingLine(const std::vector<CheckOutcome> &outcomes) {
    const std::size_t passed = countOf(outcomes, CheckStatus::Pass), skipped = countOf(outcomes, CheckStatus::Skipped);
    std::string line =
        std::to_string(passed) + " passed, " + std::to_string(outcomes.size() - passed - skipped) + " failed";
    if (skipped > 0) line += ", " + std::to_string(skipped) + " skipped";
    return line;
}

bool canWriteReport(const std::string &path, std::string &error) {
    try {
        files::checkCanWrite(path);
    } catch (const std::runtime_error &failure) {
        error = failure.what();
        return false;
    }
    return true;
}

bool writeJsonReport(const std::string &path, const std::string &modulePath, std::uint64_t seed,
                     const std::vector<CheckOutcome> &outcomes, std::string &error) {
    nlohmann::json checks = nlohmann::json::array();
    for (const CheckOutcome &outcome : outcomes) {
        nlohmann::json check = {{"name", outcome.name},
                                {"status", statusWord(outcome.status)},
                                {"message", outcome.message},
                                {"seconds", outcome.seconds}};
        if (!outcome.errorOutput.empty()) check["stderr"] = outcome.errorOutput;
        checks.push_back(std::move(check));
    }
    const std::size_t passed = countOf(outcomes, CheckStatus::Pass), skipped = countOf(outcomes, CheckStatus::Skipped);
    const nlohmann::json report = {{"program", platform::programVersion()},
                                   {"platform", platform::platformName()},
                                   {"module", modulePath},
                                   {"module_sha256", platform::sha256OfFile(modulePath).value_or("")},
                                   {"seed", seed},
                                   {"checks", checks},
                                   {"passed", passed},
                                   {"failed", outcomes.size() - passed - skipped},
                                   {"skipped", skipped}};

    try {
        files::writeFileAtomically(path, report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + '\n');
    } catch (const std::runtime_error &failure) {
        error = failure.what();
        return false;
    }
    return true;
}

} // namespace plix::validate
