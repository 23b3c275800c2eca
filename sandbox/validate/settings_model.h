// The settings of one instance as the module should store them after a run
// of panel edits, what each control should show for them (each pair of bounds
// sorted), and what the saved block should carry (as entered).
#pragma once

#include <optional>
#include <string_view>

#include "plix/standin/panel_toolkit.h"

namespace plix::validate {

// The defaults below are the validator's own, independent of the module's on
// purpose: a check compares a module file with what a host expects.
struct SettingsModel {
    double v0Min = 1.0, v0Max = 4.0;
    int spreadMin = 0, spreadMax = 180, ageMin = 10, ageMax = 60;
    double gravity = 9.8;
    int recycle = 1, birthRate = 60, startFrame = 0;
    geometry::Vec3 avoid{-100.0, -100.0, 0.0};

    // An edit of the control `id` with a value of its data type.
    void enter(std::string_view id, const standin::PanelValue &value);

    // What the control shows; nothing where the module may choose.
    std::optional<standin::PanelValue> shown(std::string_view id) const;

    // The value the block's line of `keyword` carries; NaN for a keyword
    // that no control sets.
    double inBlock(std::string_view keyword) const;
};

} // namespace plix::validate
