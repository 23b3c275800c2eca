// Panel controls and their values as JSON, for the page.
//
// A control: {"id": "vmin", "label": "v0 min", "controlType": "float",
// "dataType": "float", "value": 1}. Values by data type: "float" a number,
// "integer" a whole number, "float3" [x, y, z]; null when the control shows
// no value; an infinite or undefined number as the string "inf", "-inf" or
// "nan".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "plix/standin/panel_toolkit.h"

namespace plix::studio {

nlohmann::json panelValueJson(const standin::PanelValue &value);
nlohmann::json panelJson(const std::vector<standin::PanelControl> &controls);

// The value of a JSON edit for a control of these types: a finite number for
// "float", a whole number within 32 bits for "integer" (true or false too
// for an "iBoolean" control), three finite numbers for "float3". Nothing when
// it does not fit; `expected` then says what would.
std::optional<standin::PanelValue> panelValueFromJson(const nlohmann::json &value, const std::string &dataType,
                                                      const std::string &controlType, std::string &expected);

// The four characters of an identifier ('vmin') and back.
using standin::panelIdText;
using standin::panelIdFromText;

} // namespace plix::studio
