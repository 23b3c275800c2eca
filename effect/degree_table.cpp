#include "effect/degree_table.h"

#include <cmath>

namespace plix {

CosSin DegreeTable::values_[highest - lowest + 1];

CosSin DegreeTable::evaluate(int32_t degrees) noexcept {
    double radians = static_cast<double>(degrees) * degreesToRadians;
#if defined(__GNUC__)
    // The compiler must not fold the call with its own arithmetic: the values
    // are the platform library's.
    __asm__("" : "+m"(radians));
#endif
    return {std::cos(radians), std::sin(radians)};
}

void DegreeTable::build() noexcept {
    for (int32_t d = lowest; d <= highest; ++d) values_[d - lowest] = evaluate(d);
}

namespace {
// Built when the module is loaded, before any entry can run.
const bool built = (DegreeTable::build(), true);
} // namespace

} // namespace plix
