#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "persist/number_text.h"
#include "persist/value_text.h"

using plix::formatSceneValue;
using plix::parseSceneNumber;

namespace {

std::string format(double v, size_t maxChars = 255) {
    char out[256];
    const size_t n = formatSceneValue(v, maxChars, out, sizeof out);
    EXPECT_EQ(n, std::strlen(out));
    return out;
}

std::string cLibraryText(double v) {
    char out[512];
    std::snprintf(out, sizeof out, " %f", v); // the test runs in the "C" locale
    return out;
}

double readBack(const std::string &text) { return parseSceneNumber(text.c_str(), text.size()); }

} // namespace

TEST(SceneValueText, SameTextAsTheCLibrary) {
    const double values[] = {0.0,       -0.0,        1.0,        9.8,         9.8765432,
                             1e-7,      -1e-7,       0.0078125,  0.0234375,   1.0000005,
                             5e-7,      4.9e-324,    -100.0,     180.0,       2147483647.0,
                             -2147483648.0, 1e20,    -1e20,      123456789012.3456789,
                             1e15 + 0.3, 0.1 + 0.2, 999999.9999995, 1e100};
    for (double v : values) EXPECT_EQ(format(v), cLibraryText(v)) << v;

    // Doubles spread over their whole bit range wherever the fixed text fits.
    uint64_t bits = 0x9E3779B97F4A7C15u;
    for (int i = 0; i < 20000; ++i) {
        bits = bits * 6364136223846793005u + 1442695040888963407u;
        const double v = std::bit_cast<double>(bits);
        if (!std::isfinite(v) || std::fabs(v) > 1e200) continue;
        ASSERT_EQ(format(v), cLibraryText(v)) << std::hexfloat << v;
    }
}

TEST(SceneValueText, ExponentFormOnlyWhenTheFixedTextIsTooLong) {
    // " 100000000000000000000.000000" is 29 characters.
    EXPECT_EQ(format(1e20, 29), " 100000000000000000000.000000");
    EXPECT_EQ(format(1e20, 28), " 1e+20");
    for (double v : {1e300, -1e300, DBL_MAX, -DBL_MAX, 123456789.0 * 1e250}) {
        const std::string text = format(v, 246);
        EXPECT_LE(text.size(), 246u);
        EXPECT_EQ(readBack(text), v) << text;
    }
}

TEST(SceneValueText, NonFiniteValues) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(format(inf), " 1e999");
    EXPECT_EQ(format(-inf), " -1e999");
    EXPECT_EQ(readBack(format(inf)), inf);
    EXPECT_EQ(readBack(format(-inf)), -inf);
    // The grammar has no word for NaN: the text says so, and it reads as 0.
    EXPECT_EQ(format(std::nan("")), " nan");
    EXPECT_EQ(format(-std::nan("")), " nan");
    EXPECT_EQ(readBack(" nan"), 0.0);
}

TEST(SceneValueText, NeverWritesPastASmallBuffer) {
    char out[8];
    EXPECT_EQ(formatSceneValue(1.0, 255, out, sizeof out), 6u);
    EXPECT_STREQ(out, " 1e+00");
    char tiny[3];
    EXPECT_EQ(formatSceneValue(1.0, 255, tiny, sizeof tiny), 0u);
    EXPECT_STREQ(tiny, "");
    EXPECT_EQ(formatSceneValue(-std::numeric_limits<double>::infinity(), 255, out, 7), 0u);
    EXPECT_EQ(formatSceneValue(1.0, 255, out, 0), 0u);
}
