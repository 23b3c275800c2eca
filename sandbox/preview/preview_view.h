// The camera of the preview: a fixed three-quarter view from above, without
// perspective, fitted so that everything recorded fills the picture.
#pragma once

#include <array>

#include "plix/geometry.h"

namespace plix::preview {

using Point2 = std::array<double, 2>;

// World to view plane: turned 35 degrees about the world's y axis, then
// tipped 25 degrees to look down; view x to the right, view y up.
Point2 projectToView(const geometry::Vec3 &world);

// Grows to hold view-plane points; maps them into a picture of given size.
class ViewFit {
public:
    void include(const Point2 &p);
    bool empty() const { return !any_; }
    // Pixel position (x right, y down) in a picture of width x height with a
    // margin of 6 percent; the scale is the same on both axes.
    Point2 toPixel(const Point2 &p, int width, int height) const;
    const Point2 &low() const { return low_; }
    const Point2 &high() const { return high_; }

private:
    bool any_ = false;
    Point2 low_{0.0, 0.0};
    Point2 high_{0.0, 0.0};
};

} // namespace plix::preview
