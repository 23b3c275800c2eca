#include "validate_arguments.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace plix::validate {
namespace {

// Quoted for a message, cut short when it is long.
std::string shown(const std::string &text) {
    return "'" + (text.size() > 40 ? text.substr(0, 40) + "..." : text) + "'";
}

} // namespace

std::optional<double> parseTimeoutSeconds(const std::string &text, std::string &error) {
    const std::string wanted = "give a number of seconds above 0 and at most 86400 (a day)";
    double value = 0.0;
    const char *end = text.data() + text.size();
    const auto [stop, problem] = std::from_chars(text.data(), end, value);
    if (text.empty() || problem == std::errc::invalid_argument || stop != end || std::isnan(value)) {
        error = shown(text) + " is not a number: " + wanted;
        return std::nullopt;
    }
    // Out of a double's range: only the direction matters (strtod's huge or tiny value tells it).
    if (problem == std::errc::result_out_of_range) value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value) || value > longestTimeoutSeconds) {
        error = shown(text) + " is too long: " + wanted;
        return std::nullopt;
    }
    if (value <= 0.0) {
        error = shown(text) + " is not above 0: " + wanted;
        return std::nullopt;
    }
    if (value < 0.001) { // a check is stopped to the millisecond
        error = shown(text) + " is shorter than a millisecond: " + wanted;
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint64_t> parseSeed(const std::string &text, std::string &error) {
    const std::string largest = std::to_string(std::numeric_limits<std::uint64_t>::max());
    bool digits = !text.empty();
    for (char c : text) digits = digits && c >= '0' && c <= '9';
    if (!digits) {
        error = shown(text) + " is not a whole number from 0 to " + largest + " in digits";
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [stop, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || stop != text.data() + text.size()) {
        error = shown(text) + " is too large: the largest seed is " + largest;
        return std::nullopt;
    }
    return value;
}

} // namespace plix::validate
