#include "app/panel_values.h"
#include "text/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace plix::sandbox {
namespace {

std::string number(double value) { return text::shortestText(value); }

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::optional<double> readDouble(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> readInt(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<int> readSwitch(std::string_view text) {
    text = trim(text);
    for (const char *on : {"on", "yes", "true"})
        if (text == on) return 1;
    for (const char *off : {"off", "no", "false"})
        if (text == off) return 0;
    return std::nullopt;
}

} // namespace


std::string showValue(const standin::PanelValue &value, const std::string &controlType) {
    if (const auto *d = std::get_if<double>(&value)) return number(*d);
    if (const auto *i = std::get_if<int>(&value)) {
        if (controlType == "iBoolean") return std::to_string(*i) + (*i != 0 ? " (on)" : " (off)");
        return std::to_string(*i);
    }
    if (const auto *v = std::get_if<geometry::Vec3>(&value)) return number(v->x) + ", " + number(v->y) + ", " + number(v->z);
    return "(none)";
}

std::optional<standin::PanelValue> readValue(std::string_view text, const std::string &dataType,
                                             const std::string &controlType, std::string &expected) {
    if (dataType == "float") {
        expected = "a finite number";
        if (const auto d = readDouble(text)) return standin::PanelValue(*d);
    } else if (dataType == "integer") {
        expected = controlType == "iBoolean" ? "on, off or a whole number from -2147483648 to 2147483647"
                                              : "a whole number from -2147483648 to 2147483647";
        if (const auto i = readInt(text)) return standin::PanelValue(*i);
        if (controlType == "iBoolean")
            if (const auto s = readSwitch(text)) return standin::PanelValue(*s);
    } else if (dataType == "float3") {
        expected = "three finite numbers separated by commas, such as -100,-100,0";
        std::vector<double> parts;
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = text.find(',', start);
            const auto part = readDouble(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
            if (!part) return std::nullopt;
            parts.push_back(*part);
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
        if (parts.size() == 3) return standin::PanelValue(geometry::Vec3{parts[0], parts[1], parts[2]});
    } else {
        expected = "nothing: its data type '" + dataType + "' takes no value here";
    }
    return std::nullopt;
}

} // namespace plix::sandbox
