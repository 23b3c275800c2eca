#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "persist/scene_block.h"
#include "persist_test_support.h"

using persist_test::LineCollector;
using persist_test::LineStream;
using persist_test::TestInstance;

namespace {

// Runs the test under a locale whose decimal separator is a comma.
class DecimalCommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

} // namespace

TEST_F(DecimalCommaLocale, BlockIsTheSameText) {
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5"); // the locale is really in force

    TestInstance t;
    t.sparks().v0Max = 2.25;
    LineCollector out;
    const SaveState saveState = out.state();
    saveInstance(&t.inst, &saveState);
    EXPECT_EQ(out.lines[2], "V0Max 2.250000");
    EXPECT_EQ(out.lines[5], "Gravity 9.800000");
    EXPECT_EQ(out.lines[12], "AvoidX -100.000000");

    TestInstance back;
    LineStream in{{"PLIX_START", "Gravity 9.8", "V0Min 0.1", "V0Max 1,5", "PLIX_END"}};
    const LoadState loadState = in.state();
    loadInstance(&back.inst, &loadState);
    EXPECT_EQ(back.sparks().gravity, 9.8);
    EXPECT_EQ(back.sparks().v0Min, 0.1);
    EXPECT_EQ(back.sparks().v0Max, 1.0);
}
