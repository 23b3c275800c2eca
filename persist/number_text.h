// The scene block's number grammar: the value text after a keyword.
#pragma once

#include <cstddef>

namespace plix {

// Reads the number at the start of `text` (after white space): optional sign,
// digits with at most one ".", optional exponent after e, E, d or D. Gives the
// double nearest to that text, whatever the process locale; 0.0 when the text
// does not begin with a number. Overflow gives an infinity, underflow a zero.
// Only the first sceneLineSize bytes are looked at: a line never holds more.
double parseSceneNumber(const char *text, std::size_t length) noexcept;

} // namespace plix
