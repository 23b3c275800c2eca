#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "persist/number_text.h"

using plix::parseSceneNumber;

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

struct NumberCase {
    const char *text;
    double expected; // compared bit for bit, so the sign of zero counts
};

const NumberCase numberCases[] = {
    // nearest double to the text, not digits gathered by hand
    {"9.8", 9.8},
    {"0.1", 0.1},
    {"9007199254740993", 9007199254740992.0},
    {"9007199254740993.0000000000000000001", 9007199254740994.0},
    {"4.9e-324", 4.9406564584124654e-324},
    // signs, points and blanks
    {"+3", 3.0},
    {"-3.5", -3.5},
    {"-0", -0.0},
    {".5", 0.5},
    {"5.", 5.0},
    {" \t\n\r\v\f7", 7.0},
    {"1.2.3", 1.2},
    {"1,5", 1.0},
    // exponents
    {"1e1", 10.0},
    {"2.5d1", 25.0},
    {"2.5D+1", 25.0},
    {"2.5E-1", 0.25},
    {"1e", 1.0},
    {"1e+", 1.0},
    {"1ex", 1.0},
    {"1e0000000000000000000000005", 1e5},
    // out of range
    {"1e999", inf},
    {"-1e999", -inf},
    {"1e99999999999999999999", inf},
    {"1e-999", 0.0},
    {"-1e-999", -0.0},
    {"0e99999", 0.0},
    // not a number: no hexadecimal, infinity or not-a-number words
    {"", 0.0},
    {"abc", 0.0},
    {".", 0.0},
    {"-", 0.0},
    {"-.e5", 0.0},
    {"0x10", 0.0},
    {"inf", 0.0},
    {"-infinity", 0.0},
    {"nan", 0.0},
};

} // namespace

TEST(SceneNumber, ConversionTable) {
    for (const NumberCase &c : numberCases) {
        const double got = parseSceneNumber(c.text, std::strlen(c.text));
        EXPECT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(c.expected))
            << '"' << c.text << "\" gave " << got;
    }
}

TEST(SceneNumber, StopsAtTheGivenLength) {
    EXPECT_EQ(parseSceneNumber("12345", 3), 123.0);
    EXPECT_EQ(parseSceneNumber("1e5", 2), 1.0);
    // Only a line's 256 bytes count, however long the text is.
    const std::string longText = std::string(255, '1') + "e999";
    EXPECT_LT(parseSceneNumber(longText.c_str(), longText.size()), inf);
}
