#include "studio/panel_json.h"

#include <cmath>
#include <limits>

namespace plix::studio {
namespace {

nlohmann::json numberJson(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return value;
}

std::optional<double> finiteNumber(const nlohmann::json &value) {
    if (!value.is_number()) return std::nullopt;
    const double number = value.get<double>();
    if (!std::isfinite(number)) return std::nullopt;
    return number;
}

std::optional<int> wholeNumber(const nlohmann::json &value) {
    if (value.is_number_integer()) {
        if (value.is_number_unsigned()) {
            const auto n = value.get<std::uint64_t>();
            if (n > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return std::nullopt;
            return static_cast<int>(n);
        }
        const auto n = value.get<std::int64_t>();
        if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return std::nullopt;
        return static_cast<int>(n);
    }
    // 60.0 is a whole number too (a page may send any number it holds).
    if (value.is_number_float()) {
        const double d = value.get<double>();
        if (std::isfinite(d) && d == std::trunc(d) && d >= std::numeric_limits<int>::min() &&
            d <= std::numeric_limits<int>::max())
            return static_cast<int>(d);
    }
    return std::nullopt;
}

} // namespace


nlohmann::json panelValueJson(const standin::PanelValue &value) {
    if (const auto *d = std::get_if<double>(&value)) return numberJson(*d);
    if (const auto *i = std::get_if<int>(&value)) return *i;
    if (const auto *v = std::get_if<geometry::Vec3>(&value))
        return nlohmann::json::array({numberJson(v->x), numberJson(v->y), numberJson(v->z)});
    return nullptr;
}

nlohmann::json panelJson(const std::vector<standin::PanelControl> &controls) {
    nlohmann::json out = nlohmann::json::array();
    for (const standin::PanelControl &control : controls)
        out.push_back({{"id", panelIdText(control.id)},
                       {"label", control.label},
                       {"controlType", control.controlType},
                       {"dataType", control.dataType},
                       {"value", panelValueJson(control.value)}});
    return out;
}

std::optional<standin::PanelValue> panelValueFromJson(const nlohmann::json &value, const std::string &dataType,
                                                      const std::string &controlType, std::string &expected) {
    if (dataType == "float") {
        expected = "a finite number";
        if (const auto d = finiteNumber(value)) return standin::PanelValue(*d);
    } else if (dataType == "integer") {
        expected = controlType == "iBoolean" ? "true, false or a whole number" : "a whole number within 32 bits";
        if (controlType == "iBoolean" && value.is_boolean()) return standin::PanelValue(value.get<bool>() ? 1 : 0);
        if (const auto i = wholeNumber(value)) return standin::PanelValue(*i);
    } else if (dataType == "float3") {
        expected = "three finite numbers, [x, y, z]";
        if (value.is_array() && value.size() == 3) {
            const auto x = finiteNumber(value[0]), y = finiteNumber(value[1]), z = finiteNumber(value[2]);
            if (x && y && z) return standin::PanelValue(geometry::Vec3{*x, *y, *z});
        }
    } else {
        expected = "nothing: its data type '" + dataType + "' takes no value";
    }
    return std::nullopt;
}

} // namespace plix::studio
