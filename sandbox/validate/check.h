// What every check gets and how it reports: a check runs in its own process,
// returns a short note when it passes and throws CheckFailure when it fails.
#pragma once

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "check_random.h"

namespace plix::validate {

struct CheckContext {
    std::string modulePath;
    std::uint64_t seed; // already mixed with the check's name
    CheckRandom random;
};

class CheckFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Joins the arguments as text, the way a stream prints them.
template <class... Parts> std::string text(const Parts &...parts) {
    std::ostringstream out;
    out.precision(17);
    (out << ... << parts);
    return out.str();
}

template <class... Parts> [[noreturn]] void fail(const Parts &...parts) { throw CheckFailure(text(parts...)); }

template <class... Parts> void expect(bool condition, const Parts &...parts) {
    if (!condition) fail(parts...);
}

// Runs one check; the text returned on success is shown beside "pass".
using CheckFunction = std::string (*)(CheckContext &context);

struct CheckInfo {
    std::string_view name;
    std::string_view summary;
    CheckFunction run;
};

} // namespace plix::validate
