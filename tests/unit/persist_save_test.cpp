#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "persist/number_text.h"
#include "persist/scene_block.h"
#include "plix/standin/scene_streams.h"
#include "test_instance.h"

using plix::standin::LineSaveState;
using plix::standin::TextLoadState;
using plix::test::TestInstance;

namespace {

// The saved lines; every write's byte count is its text's length and the zero.
std::vector<std::string> save(TestInstance &t) {
    LineSaveState out;
    EXPECT_EQ(saveInstance(&t.inst, out.state()), nullptr);
    for (const LineSaveState::Write &write : out.writes()) {
        EXPECT_EQ(write.byteCount, static_cast<int>(write.text.size()) + 1) << write.text;
        EXPECT_LE(write.text.size(), 255u);
    }
    return out.lines();
}

void load(TestInstance &t, const std::vector<std::string> &lines) {
    TextLoadState in{lines};
    EXPECT_EQ(loadInstance(&t.inst, in.state()), nullptr);
}

double sixDecimals(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", v);
    return plix::parseSceneNumber(text, std::strlen(text));
}

} // namespace

TEST(SceneSave, SavedBlockLoadsIntoAnEqualInstance) {
    TestInstance from;
    SparkSettings &s = from.sparks();
    s.v0Min = -0.25;
    s.v0Max = 1e20;
    s.ageMin = -2147483647 - 1;
    s.ageMax = 2147483647;
    s.gravity = 9.8765432;
    s.regist = 1e-7;
    s.startFrame = -15;
    s.birthRate = 123456;
    s.recycle = 0;
    s.spreadMin = 200;
    s.spreadMax = -45;
    s.avoidPos[0] = DBL_MAX;                                  // exponent form
    s.avoidPos[1] = -std::numeric_limits<double>::infinity(); // " -1e999"
    s.avoidPos[2] = 123456789012.3456789;

    TestInstance to(5);
    load(to, save(from));
    const SparkSettings &r = to.sparks();
    EXPECT_EQ(r.v0Min, -0.25);
    EXPECT_EQ(r.v0Max, 1e20);
    EXPECT_EQ(r.ageMin, s.ageMin);
    EXPECT_EQ(r.ageMax, s.ageMax);
    EXPECT_EQ(r.gravity, 9.876543);
    EXPECT_EQ(r.regist, 0.0);
    EXPECT_EQ(r.startFrame, -15);
    EXPECT_EQ(r.birthRate, 123456);
    EXPECT_EQ(r.recycle, 0);
    EXPECT_EQ(r.spreadMin, 200);
    EXPECT_EQ(r.spreadMax, -45);
    EXPECT_EQ(r.avoidPos[0], DBL_MAX);
    EXPECT_EQ(r.avoidPos[1], -std::numeric_limits<double>::infinity());
    EXPECT_EQ(r.avoidPos[2], sixDecimals(s.avoidPos[2]));

    // A second round changes nothing more.
    TestInstance again(5);
    load(again, save(to));
    EXPECT_EQ(save(again), save(to));
    EXPECT_EQ(again.sparks().avoidPos[2], r.avoidPos[2]);
}

TEST(SceneSave, HugeValueGetsTheExponentFormAlone) {
    TestInstance t;
    t.sparks().avoidPos[0] = 1e300;
    t.sparks().gravity = 1e200; // its fixed line still fits
    const std::vector<std::string> lines = save(t);
    EXPECT_EQ(lines[12], "AvoidX 1e+300");
    char fixed[256];
    std::snprintf(fixed, sizeof fixed, "Gravity %f", 1e200);
    EXPECT_EQ(lines[5], fixed);
}

TEST(SceneSave, NotANumberIsWrittenAsSuchAndLoadsAsZero) {
    TestInstance t;
    t.sparks().gravity = std::nan("");
    const std::vector<std::string> lines = save(t);
    EXPECT_EQ(lines[5], "Gravity nan");
    TestInstance to;
    load(to, lines);
    EXPECT_EQ(to.sparks().gravity, 0.0);
}
