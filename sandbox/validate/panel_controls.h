// The twelve controls of the module's settings panel as the host expects them,
// and random values for them. Written out here on purpose, not taken from the
// module's own tables: the validator checks a module file against what a host
// expects, so its model of the settings must not move when the module does.
#pragma once

#include <string_view>

#include "check_random.h"
#include "plix/host/service_abi.h"
#include "plix/standin/panel_toolkit.h"

namespace plix::validate {

struct ExpectedControl {
    unsigned int id;
    std::string_view idText;
    std::string_view label;
    std::string_view controlType;
    std::string_view dataType;
};

inline constexpr ExpectedControl panelControls[] = {
    {PLIX_ID4('v', 'm', 'i', 'n'), "vmin", "v0 min", "float", "float"},
    {PLIX_ID4('v', 'm', 'a', 'x'), "vmax", "v0 max", "float", "float"},
    {PLIX_ID4('s', 'p', 'm', 'n'), "spmn", "Spread min", "iSlider", "integer"},
    {PLIX_ID4('s', 'p', 'm', 'x'), "spmx", "Spread max", "iSlider", "integer"},
    {PLIX_ID4('a', 'g', 'm', 'n'), "agmn", "Age min", "integer", "integer"},
    {PLIX_ID4('a', 'g', 'm', 'x'), "agmx", "Age max", "integer", "integer"},
    {PLIX_ID4('g', 'r', 'a', 'v'), "grav", "Gravity", "float", "float"},
    {PLIX_ID4('r', 'e', 'c', 'y'), "recy", "Recycle?", "iBoolean", "integer"},
    {PLIX_ID4('r', 'a', 't', 'e'), "rate", "BirthRate p/s", "integer", "integer"},
    {PLIX_ID4('s', 'p', 'r', 'k'), "sprk", "Spark_frame", "integer", "integer"},
    {PLIX_ID4('a', 'v', 'o', 'i'), "avoi", "Avoid_Pos", "float3", "float3"},
    {PLIX_ID4('l', 'k', 'a', 'g'), "lkag", "LinkAge", "iBoolean", "integer"},
};

inline constexpr unsigned int idOf(std::string_view text) {
    for (const ExpectedControl &control : panelControls)
        if (control.idText == text) return control.id;
    return 0;
}

// A random value of the control's data type, mostly ordinary, now and then
// at an edge (zero, negative zero, tiny, huge, the integer limits).
standin::PanelValue randomPanelValue(const ExpectedControl &control, CheckRandom &random);

} // namespace plix::validate
