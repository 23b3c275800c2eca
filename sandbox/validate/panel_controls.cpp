#include "panel_controls.h"

#include <iterator>
#include <limits>

namespace plix::validate {
namespace {

double randomReal(CheckRandom &random) {
    static constexpr double edges[] = {0.0, -0.0, 1e-7, -1e-7, 0.5, -2.0, 123456.789, 1e15, -1e12};
    if (random.chance(10)) return edges[random.below(std::size(edges))];
    return random.real(-20.0, 60.0);
}

int randomInt(std::string_view id, CheckRandom &random) {
    if (random.chance(4)) return random.chance(50) ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    if (id == "recy" || id == "lkag") return static_cast<int>(random.between(-1, 2));
    if (id == "rate") return static_cast<int>(random.between(-30, 400));
    if (id == "sprk") return static_cast<int>(random.between(-60, 60));
    if (id == "agmn" || id == "agmx") return static_cast<int>(random.between(-10, 150));
    return static_cast<int>(random.between(-400, 400)); // spreads
}

} // namespace

standin::PanelValue randomPanelValue(const ExpectedControl &control, CheckRandom &random) {
    if (control.dataType == "float") return randomReal(random);
    if (control.dataType == "float3") return geometry::Vec3{randomReal(random), randomReal(random), randomReal(random)};
    return randomInt(control.idText, random);
}

} // namespace plix::validate
