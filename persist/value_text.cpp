#include "persist/value_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace plix {
namespace {

std::size_t putText(const char *text, std::size_t limit, char *out) noexcept {
    const std::size_t n = std::strlen(text);
    if (n > limit) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, text, n + 1);
    return n;
}

// Writes " " and the number into out[0 .. limit) without its zero.
std::size_t putNumber(double value, std::size_t limit, char *out, bool fixed) noexcept {
    if (limit < 2) return 0;
    out[0] = ' ';
    const auto result = fixed ? std::to_chars(out + 1, out + limit, value, std::chars_format::fixed, 6)
                              : std::to_chars(out + 1, out + limit, value, std::chars_format::scientific);
    if (result.ec != std::errc()) return 0;
    return static_cast<std::size_t>(result.ptr - out);
}

} // namespace

std::size_t formatSceneValue(double value, std::size_t maxChars, char *out,
                             std::size_t outSize) noexcept {
    if (outSize == 0) return 0;
    const std::size_t limit = maxChars < outSize - 1 ? maxChars : outSize - 1;
    if (std::isnan(value)) return putText(" nan", limit, out);
    if (std::isinf(value)) return putText(value < 0 ? " -1e999" : " 1e999", limit, out);
    std::size_t n = putNumber(value, limit, out, true);
    if (n == 0) n = putNumber(value, limit, out, false);
    out[n] = '\0';
    return n;
}

} // namespace plix
