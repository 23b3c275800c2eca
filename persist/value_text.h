// The value text of a scene line: " %f" as the C locale writes it.
#pragma once

#include <cstddef>

namespace plix {

// Writes " %f" text for `value` into `out` (zero-terminated) without looking
// at the process locale: a space, the sign, the integer digits, ".", six
// decimals. When that text would be longer than `maxChars`, the value is
// written in the shortest exponent form that reads back equal instead.
// Infinities are written " 1e999" / " -1e999", which read back as the same
// infinity; a NaN is written " nan", which the grammar reads as 0.
// Returns the length written, 0 when not even the exponent form fits.
std::size_t formatSceneValue(double value, std::size_t maxChars, char *out,
                             std::size_t outSize) noexcept;

} // namespace plix
