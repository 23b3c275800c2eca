// The control and data description tables handed to the toolkit. They share
// identifiers and texts; only the third column differs for the spread
// sliders and the two check boxes.
#include "panel/panel.h"
#include "panel/panel_ids.h"

using namespace plix::panel;

const ControlRow controlTable[13] = {
    {idV0Min, "v0 min", "float"},
    {idV0Max, "v0 max", "float"},
    {idSpreadMin, "Spread min", "iSlider"},
    {idSpreadMax, "Spread max", "iSlider"},
    {idAgeMin, "Age min", "integer"},
    {idAgeMax, "Age max", "integer"},
    {idGravity, "Gravity", "float"},
    {idRecycle, "Recycle?", "iBoolean"},
    {idBirthRate, "BirthRate p/s", "integer"},
    {idStartFrame, "Spark_frame", "integer"},
    {idAvoidPos, "Avoid_Pos", "float3"},
    {idLinkAge, "LinkAge", "iBoolean"},
    {0, nullptr, nullptr},
};

const DataRow dataTable[13] = {
    {idV0Min, "v0 min", "float"},
    {idV0Max, "v0 max", "float"},
    {idSpreadMin, "Spread min", "integer"},
    {idSpreadMax, "Spread max", "integer"},
    {idAgeMin, "Age min", "integer"},
    {idAgeMax, "Age max", "integer"},
    {idGravity, "Gravity", "float"},
    {idRecycle, "Recycle?", "integer"},
    {idBirthRate, "BirthRate p/s", "integer"},
    {idStartFrame, "Spark_frame", "integer"},
    {idAvoidPos, "Avoid_Pos", "float3"},
    {idLinkAge, "LinkAge", "integer"},
    {0, nullptr, nullptr},
};
