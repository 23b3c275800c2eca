// The control and data tables exactly as the toolkit receives them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "panel/panel.h"

namespace {

struct Row {
    const char *id;
    const char *label;
    const char *controlType;
    const char *dataType;
};

constexpr Row expected[12] = {
    {"vmin", "v0 min", "float", "float"},
    {"vmax", "v0 max", "float", "float"},
    {"spmn", "Spread min", "iSlider", "integer"},
    {"spmx", "Spread max", "iSlider", "integer"},
    {"agmn", "Age min", "integer", "integer"},
    {"agmx", "Age max", "integer", "integer"},
    {"grav", "Gravity", "float", "float"},
    {"recy", "Recycle?", "iBoolean", "integer"},
    {"rate", "BirthRate p/s", "integer", "integer"},
    {"sprk", "Spark_frame", "integer", "integer"},
    {"avoi", "Avoid_Pos", "float3", "float3"},
    {"lkag", "LinkAge", "iBoolean", "integer"},
};

// First character in the most significant byte.
unsigned int id4(const char *s) {
    return (unsigned(s[0]) << 24) | (unsigned(s[1]) << 16) | (unsigned(s[2]) << 8) | unsigned(s[3]);
}

TEST(PanelTables, IdentifierPacking) {
    EXPECT_EQ(id4("vmin"), 0x766D696Eu);
    EXPECT_EQ(controlTable[0].id, 0x766D696Eu);
    EXPECT_EQ(controlTable[11].id, 0x6C6B6167u);
}

TEST(PanelTables, TwelveRowsAsListed) {
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(controlTable[i].id, id4(expected[i].id));
        EXPECT_STREQ(controlTable[i].label, expected[i].label);
        EXPECT_STREQ(controlTable[i].type, expected[i].controlType);
        EXPECT_EQ(dataTable[i].id, id4(expected[i].id));
        EXPECT_STREQ(dataTable[i].name, expected[i].label);
        EXPECT_STREQ(dataTable[i].type, expected[i].dataType);
    }
}

TEST(PanelTables, EndedByAllZeroRows) {
    EXPECT_EQ(controlTable[12].id, 0u);
    EXPECT_EQ(controlTable[12].label, nullptr);
    EXPECT_EQ(controlTable[12].type, nullptr);
    EXPECT_EQ(dataTable[12].id, 0u);
    EXPECT_EQ(dataTable[12].name, nullptr);
    EXPECT_EQ(dataTable[12].type, nullptr);
}

} // namespace
