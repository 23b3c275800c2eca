// Panel values as text: how plix-sandbox shows them and reads them from the
// command line, by the control's data type ("float", "integer", "float3").
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "plix/standin/panel_toolkit.h"

namespace plix::sandbox {

// Four-character identifier as text ('vmin') and back.
using standin::panelIdText;
using standin::panelIdFromText;

// "2.5", "60", "on (1)" for an "iBoolean" control, "-100, -100, 0", "(none)".
std::string showValue(const standin::PanelValue &value, const std::string &controlType);

// Reads a value for a control of the given types: a number for "float", a
// whole number for "integer" ("on"/"off"/"yes"/"no"/"true"/"false" too for an
// "iBoolean" control), three numbers separated by commas for "float3".
// Nothing when the text does not fit; `expected` then says what would.
std::optional<standin::PanelValue> readValue(std::string_view text, const std::string &dataType,
                                             const std::string &controlType, std::string &expected);

} // namespace plix::sandbox
