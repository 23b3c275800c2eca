// Signed 32-bit arithmetic as the effect specifies it: two's-complement
// wrap-around without undefined behaviour, and saturating double-to-int.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace plix {

inline int32_t wrapSub(int32_t a, int32_t b) noexcept {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

inline int32_t wrapAdd(int32_t a, int32_t b) noexcept {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// Truncation toward zero, saturated to the int32 range; NaN gives 0.
inline int32_t truncToInt32(double v) noexcept {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

} // namespace plix
