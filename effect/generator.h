// The module's linear congruential generator on a local state, and its
// jumps: k draws at once as one multiply and add (a^k, c(a^(k-1) + ... + 1)),
// so the draws of one point, and the state at the next point, follow from the
// point's state without waiting on each other.
#pragma once

#include <cstdint>

namespace plix {

// state -> state x mul + add, modulo 2^32.
struct GeneratorJump {
    uint32_t mul = 1, add = 0;

    constexpr uint32_t operator()(uint32_t state) const noexcept { return state * mul + add; }

    // This jump, then `next`.
    constexpr GeneratorJump then(const GeneratorJump &next) const noexcept {
        return {mul * next.mul, add * next.mul + next.add};
    }

    // `steps` draws ahead, in O(log steps).
    static constexpr GeneratorJump ahead(uint64_t steps) noexcept {
        GeneratorJump result, power{214013u, 2531011u};
        for (; steps != 0; steps >>= 1) {
            if (steps & 1u) result = result.then(power);
            power = power.then(power);
        }
        return result;
    }
};

// The value a draw yields from the state it leaves: bits 16 to 30.
inline int drawValue(uint32_t state) noexcept { return static_cast<int>((state >> 16) & 0x7FFFu); }

// x mod m for a draw x (0 ... 32767) and any int32 m other than 0, as the
// truncating division gives it, without a division per draw. A draw is never
// negative, so the result is x mod |m|, and x itself once |m| passes 32767,
// as it is mod 32768: the divisor is held to at most 2^15, where Lemire's
// remainder by a 32-bit reciprocal is exact for every 16-bit x.
class DrawRemainder {
public:
    explicit DrawRemainder(int32_t m) noexcept
        : divisor_(heldDivisor(m)), reciprocal_(divisor_ != 0 ? UINT32_MAX / divisor_ + 1 : 0) {}

    int32_t of(int x) const noexcept {
        const uint32_t low = reciprocal_ * static_cast<uint32_t>(x);
        return static_cast<int32_t>((static_cast<uint64_t>(low) * divisor_) >> 32);
    }

private:
    static uint32_t heldDivisor(int32_t m) noexcept {
        const uint32_t size = m < 0 ? 0u - static_cast<uint32_t>(m) : static_cast<uint32_t>(m);
        return size > 32768u ? 32768u : size;
    }

    uint32_t divisor_;
    uint32_t reciprocal_;
};

} // namespace plix
