// Colour of a spark by its normalised age: white-hot at birth, through
// yellow and orange, to a dark ember red at the end of its life.
#pragma once

#include <array>

namespace plix::preview {

using Rgb = std::array<int, 3>;

// Ages outside 0 .. 1 (other frame rates, parked sparks) are clamped.
Rgb ageColour(double normalisedAge);

} // namespace plix::preview
