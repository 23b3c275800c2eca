// Cosine and sine of whole-degree angles (degrees x 3.1415 / 180 radians),
// taken once from the platform library's own std::cos and std::sin when the
// module loads, so every value is the one that library returns for that
// angle; angles outside the table are evaluated directly, the same way.
#pragma once

#include <cstdint>

namespace plix {

struct CosSin {
    double cos, sin;
};

inline constexpr double degreesToRadians = 0.01745277777777778; // 3.1415 / 180

class DegreeTable {
public:
    static constexpr int32_t lowest = -1080, highest = 1080; // three turns each way

    static bool covers(int64_t degrees) noexcept { return degrees >= lowest && degrees <= highest; }

    // For angles the table covers.
    static const CosSin &at(int32_t degrees) noexcept { return values_[degrees - lowest]; }

    static CosSin of(int32_t degrees) noexcept { return covers(degrees) ? at(degrees) : evaluate(degrees); }

    // The library's values for one angle, as a direct evaluation gives them.
    static CosSin evaluate(int32_t degrees) noexcept;

    static void build() noexcept; // once, at load

private:
    static CosSin values_[highest - lowest + 1];
};

} // namespace plix
