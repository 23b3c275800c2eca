// The validator's own random numbers: splitmix64, the same on every system and
// compiler, so a seed replays a randomised check exactly anywhere.
#pragma once

#include <cstdint>
#include <string_view>

namespace plix::validate {

class CheckRandom {
public:
    explicit CheckRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 ... n - 1 (n > 0).
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    // lo ... hi inclusive.
    std::int64_t between(std::int64_t lo, std::int64_t hi) {
        return lo + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(hi - lo) + 1));
    }
    // A double in [lo, hi), on a grid of 1/1024 so it survives six-decimal text.
    double real(double lo, double hi) {
        const double steps = (hi - lo) * 1024.0;
        return lo + static_cast<double>(below(static_cast<std::uint64_t>(steps) + 1)) / 1024.0;
    }
    bool chance(unsigned percent) { return below(100) < percent; }

private:
    std::uint64_t state_;
};

// The seed one check uses: the run's seed mixed with the check's name, so a
// check replays the same whether it runs alone or with the others.
inline std::uint64_t checkSeed(std::uint64_t runSeed, std::string_view checkName) {
    std::uint64_t hash = 0xCBF29CE484222325ull; // FNV-1a
    for (const char c : checkName) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    return runSeed ^ hash;
}

} // namespace plix::validate
