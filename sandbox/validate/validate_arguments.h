// The numbers of validate's command line, read strictly: a value that is not
// what the option takes is refused with a message in plain words, never
// clamped, wrapped or rounded into something else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace plix::validate {

// The longest --timeout: a day.
inline constexpr double longestTimeoutSeconds = 86400.0;

// Seconds above 0 and at most a day, as a decimal number ("60", "0.5", "1e2").
// Empty with `error` set (the message after the option's name) otherwise.
std::optional<double> parseTimeoutSeconds(const std::string &text, std::string &error);

// A whole number from 0 to 18446744073709551615, in decimal digits only.
std::optional<std::uint64_t> parseSeed(const std::string &text, std::string &error);

} // namespace plix::validate
