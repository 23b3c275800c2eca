#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "persist/number_text.h"
#include "persist/scene_block.h"
#include "persist_test_support.h"

using persist_test::LineCollector;
using persist_test::LineStream;
using persist_test::TestInstance;

namespace {

LineCollector save(TestInstance &t) {
    LineCollector out;
    const SaveState state = out.state();
    EXPECT_EQ(saveInstance(&t.inst, &state), nullptr);
    for (size_t i = 0; i < out.lines.size(); ++i) {
        EXPECT_EQ(out.counts[i], static_cast<int>(out.lines[i].size()) + 1) << out.lines[i];
        EXPECT_LE(out.lines[i].size(), 255u);
    }
    return out;
}

void load(TestInstance &t, const std::vector<std::string> &lines) {
    LineStream in{lines};
    const LoadState state = in.state();
    EXPECT_EQ(loadInstance(&t.inst, &state), nullptr);
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
    load(to, save(from).lines);
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
    load(again, save(to).lines);
    EXPECT_EQ(save(again).lines, save(to).lines);
    EXPECT_EQ(again.sparks().avoidPos[2], r.avoidPos[2]);
}

TEST(SceneSave, HugeValueGetsTheExponentFormAlone) {
    TestInstance t;
    t.sparks().avoidPos[0] = 1e300;
    t.sparks().gravity = 1e200; // its fixed line still fits
    const LineCollector out = save(t);
    EXPECT_EQ(out.lines[12], "AvoidX 1e+300");
    char fixed[256];
    std::snprintf(fixed, sizeof fixed, "Gravity %f", 1e200);
    EXPECT_EQ(out.lines[5], fixed);
}

TEST(SceneSave, NotANumberIsWrittenAsSuchAndLoadsAsZero) {
    TestInstance t;
    t.sparks().gravity = std::nan("");
    const LineCollector out = save(t);
    EXPECT_EQ(out.lines[5], "Gravity nan");
    TestInstance to;
    load(to, out.lines);
    EXPECT_EQ(to.sparks().gravity, 0.0);
}
