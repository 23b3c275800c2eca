// Small pieces of text the messages share.
#pragma once

#include <string>
#include <string_view>

namespace plix::text {

// "1 frame", "2 frames": the word with an "s" unless there is one.
std::string plural(long long count, std::string_view word);

// ASCII letters in lower case, other bytes as they are (names compared
// without regard to case: labels, HTTP header names, host names).
std::string lowered(std::string_view text);

} // namespace plix::text
