#include "preview/age_colours.h"

#include <algorithm>
#include <cmath>

namespace plix::preview {

Rgb ageColour(double normalisedAge) {
    struct Stop {
        double age;
        Rgb colour;
    };
    static constexpr Stop stops[] = {
        {0.0, {255, 255, 230}}, {0.25, {255, 225, 90}}, {0.55, {255, 130, 30}}, {1.0, {150, 25, 15}}};
    const double age = std::isfinite(normalisedAge) ? std::clamp(normalisedAge, 0.0, 1.0) : 1.0;
    for (std::size_t i = 1; i < std::size(stops); ++i) {
        if (age <= stops[i].age) {
            const double u = (age - stops[i - 1].age) / (stops[i].age - stops[i - 1].age);
            Rgb out{};
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<int>(std::lround(stops[i - 1].colour[c] +
                                                      (stops[i].colour[c] - stops[i - 1].colour[c]) * u));
            return out;
        }
    }
    return stops[std::size(stops) - 1].colour;
}

} // namespace plix::preview
