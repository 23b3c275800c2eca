#include "persist/number_text.h"

#include <charconv>
#include <limits>
#include <system_error>

#include "persist/scene_keywords.h"

namespace plix {
namespace {

constexpr std::size_t maxText = sceneLineSize;

bool isBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

} // namespace

double parseSceneNumber(const char *text, std::size_t length) noexcept {
    if (length > maxText) length = maxText;
    std::size_t i = 0;
    while (i < length && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // The number is copied in the form from_chars takes: no leading sign and
    // "e" for every exponent letter. It is never longer than its source.
    char number[maxText + 1];
    std::size_t n = 0;
    std::size_t digits = 0;
    bool point = false;
    for (; i < length; ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            ++digits;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number[n++] = c;
    }
    if (digits == 0) return 0.0;

    bool negativeExponent = false;
    if (i < length && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        bool minus = false;
        if (j < length && (text[j] == '+' || text[j] == '-')) minus = text[j++] == '-';
        // An exponent letter without digits is not part of the number.
        if (j < length && isDigit(text[j])) {
            number[n++] = 'e';
            if (minus) number[n++] = '-';
            while (j < length && isDigit(text[j])) number[n++] = text[j++];
            negativeExponent = minus;
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(number, number + n, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Within one line only the exponent can leave the range of a
        // double, so its sign tells overflow from underflow.
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

} // namespace plix
