#include "preview/preview_view.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plix::preview {

Point2 projectToView(const geometry::Vec3 &world) {
    constexpr double yaw = 35.0 * std::numbers::pi / 180.0;
    constexpr double tilt = 25.0 * std::numbers::pi / 180.0;
    const double cy = std::cos(yaw), sy = std::sin(yaw);
    const double ct = std::cos(tilt), st = std::sin(tilt);
    const double x = cy * world.x - sy * world.z;
    const double depth = sy * world.x + cy * world.z;
    const double y = ct * world.y + st * depth;
    return {x, y};
}

void ViewFit::include(const Point2 &p) {
    if (!std::isfinite(p[0]) || !std::isfinite(p[1])) return;
    if (!any_) {
        low_ = high_ = p;
        any_ = true;
        return;
    }
    for (int i = 0; i < 2; ++i) {
        low_[i] = std::min(low_[i], p[i]);
        high_[i] = std::max(high_[i], p[i]);
    }
}

Point2 ViewFit::toPixel(const Point2 &p, int width, int height) const {
    const double margin = 0.06;
    const double spanX = std::max(high_[0] - low_[0], 1e-6);
    const double spanY = std::max(high_[1] - low_[1], 1e-6);
    const double usableW = width * (1.0 - 2.0 * margin);
    const double usableH = height * (1.0 - 2.0 * margin);
    double scale = std::min(usableW / spanX, usableH / spanY);
    if (!any_ || (high_[0] - low_[0] < 1e-6 && high_[1] - low_[1] < 1e-6)) scale = 1.0;
    const double centreX = 0.5 * (low_[0] + high_[0]);
    const double centreY = 0.5 * (low_[1] + high_[1]);
    return {0.5 * width + (p[0] - centreX) * scale, 0.5 * height - (p[1] - centreY) * scale};
}

} // namespace plix::preview
