#include "text/words.h"

namespace plix::text {

std::string plural(long long count, std::string_view word) {
    std::string out = std::to_string(count);
    out += ' ';
    out += word;
    if (count != 1) out += 's';
    return out;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace plix::text
