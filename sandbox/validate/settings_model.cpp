#include "settings_model.h"

#include <cmath>

namespace plix::validate {

void SettingsModel::enter(std::string_view id, const standin::PanelValue &value) {
    const auto real = [&] { return std::get<double>(value); };
    const auto whole = [&] { return std::get<int>(value); };
    if (id == "vmin")
        v0Min = real();
    else if (id == "vmax")
        v0Max = real();
    else if (id == "spmn")
        spreadMin = whole();
    else if (id == "spmx")
        spreadMax = whole();
    else if (id == "agmn")
        ageMin = whole();
    else if (id == "agmx")
        ageMax = whole();
    else if (id == "grav")
        gravity = real();
    else if (id == "recy")
        recycle = whole();
    else if (id == "rate")
        birthRate = whole();
    else if (id == "sprk")
        startFrame = whole();
    else if (id == "avoi")
        avoid = std::get<geometry::Vec3>(value);
}

std::optional<standin::PanelValue> SettingsModel::shown(std::string_view id) const {
    if (id == "vmin") {
        if (v0Min >= v0Max) return v0Max;
        if (v0Min > 0.0) return v0Min;
        return std::nullopt;
    }
    if (id == "vmax") return v0Min < v0Max ? v0Max : v0Min;
    if (id == "spmn") return spreadMax > spreadMin ? spreadMin : spreadMax;
    if (id == "spmx") return spreadMin > spreadMax ? spreadMin : spreadMax;
    if (id == "agmn") return ageMax > ageMin ? ageMin : ageMax;
    if (id == "agmx") return ageMin > ageMax ? ageMin : ageMax;
    if (id == "grav") return gravity;
    if (id == "recy") return recycle;
    if (id == "rate") return birthRate;
    if (id == "sprk") return startFrame;
    if (id == "avoi") return avoid;
    return standin::PanelValue{}; // 'lkag': no value
}

double SettingsModel::inBlock(std::string_view keyword) const {
    if (keyword == "V0Min") return v0Min;
    if (keyword == "V0Max") return v0Max;
    if (keyword == "AgeMin") return ageMin;
    if (keyword == "AgeMax") return ageMax;
    if (keyword == "Gravity") return gravity;
    if (keyword == "START_F") return startFrame;
    if (keyword == "Birth") return birthRate;
    if (keyword == "ReCycle") return recycle;
    if (keyword == "SpreadMin") return spreadMin;
    if (keyword == "SpreadMax") return spreadMax;
    if (keyword == "AvoidX") return avoid.x;
    if (keyword == "AvoidY") return avoid.y;
    if (keyword == "AvoidZ") return avoid.z;
    return std::nan("");
}
} // namespace plix::validate
