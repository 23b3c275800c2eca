// Load and save states over text, including their hostile forms.
#include <gtest/gtest.h>

#include <cstring>

#include "plix/standin/scene_streams.h"

namespace plix::standin {
namespace {

// One read through the state, as the module makes it.
std::string readLine(const LoadState *state, char *buffer, int max, int *result = nullptr) {
    const int r = state->read(state->hostData, buffer, max);
    if (result) *result = r;
    return std::string(buffer, strnlen(buffer, static_cast<size_t>(max)));
}

TEST(TextLoadState, ServesOneLineAReadWithoutLineEndsThenEmptyText) {
    TextLoadState stream("PLIX_START\r\nV0Min 1.5\n\nPLIX_END");
    char buffer[256];
    int result = 0;
    EXPECT_EQ(readLine(stream.state(), buffer, 256, &result), "PLIX_START");
    EXPECT_EQ(result, 10);
    EXPECT_EQ(readLine(stream.state(), buffer, 256), "V0Min 1.5");
    EXPECT_EQ(readLine(stream.state(), buffer, 256), "");
    EXPECT_EQ(readLine(stream.state(), buffer, 256), "PLIX_END");
    EXPECT_EQ(stream.linesLeft(), 0u);
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(readLine(stream.state(), buffer, 256, &result), "");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(stream.reads().size(), 5u);
    EXPECT_EQ(stream.reads()[1].delivered, "V0Min 1.5");
}

TEST(TextLoadState, ShortReadsGetTheLineCutWithRoomForTheZero) {
    const std::string name(80, 'n');
    TextLoadState stream(name + "\nnext");
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(readLine(stream.state(), buffer, 50), std::string(49, 'n'));
    EXPECT_EQ(buffer[49], '\0');
    EXPECT_EQ(buffer[50], 'x') << "nothing written past the read's size";
    EXPECT_EQ(readLine(stream.state(), buffer, 50), "next");
}

TEST(TextLoadState, HostileFormsFillWithoutZeroAndEndWithMinusOne) {
    TextLoadState stream(std::string(60, 'a'));
    stream.setLineEnd(TextLoadState::LineEnd::Unterminated);
    stream.setStreamEnd(TextLoadState::StreamEnd::NegativeUntouched);
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    int result = 0;
    readLine(stream.state(), buffer, 50, &result);
    EXPECT_EQ(result, 50);
    EXPECT_EQ(std::string(buffer, 50), std::string(50, 'a'));
    EXPECT_EQ(buffer[50], 'x');
    std::memcpy(buffer, "old", 4);
    readLine(stream.state(), buffer, 50, &result);
    EXPECT_EQ(result, -1);
    EXPECT_STREQ(buffer, "old");
}

TEST(TextLoadState, ReadWithoutRoomIsRefused) {
    TextLoadState stream("line");
    char buffer[4] = "abc";
    EXPECT_EQ(stream.state()->read(stream.state()->hostData, buffer, 0), -1);
    EXPECT_EQ(stream.state()->read(stream.state()->hostData, nullptr, 10), -1);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(stream.linesLeft(), 1u);
}

TEST(LineSaveState, KeepsEachWriteAsALineAndChecksItsByteCount) {
    LineSaveState stream;
    const SaveState *state = stream.state();
    state->write(state->hostData, "PLIX_START", 11);
    state->write(state->hostData, "V0Min 1.000000", 14); // zero not counted
    state->write(state->hostData, "Gravity 9.8", 5);     // short count: only those bytes are read
    state->write(state->hostData, "AgeMin", 9);           // counts past the zero
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    state->write(state->hostData, unterminated, 4);       // no zero within the count
    ASSERT_EQ(stream.writes().size(), 5u);
    EXPECT_TRUE(stream.writes()[0].countMatches);
    EXPECT_FALSE(stream.writes()[1].countMatches);
    EXPECT_EQ(stream.writes()[1].text, "V0Min 1.000000");
    EXPECT_FALSE(stream.writes()[2].countMatches);
    EXPECT_EQ(stream.writes()[2].text, "Gravi");
    EXPECT_FALSE(stream.writes()[3].countMatches);
    EXPECT_EQ(stream.writes()[3].text, "AgeMin");
    EXPECT_EQ(stream.writes()[4].text, "abcd");
    EXPECT_FALSE(stream.allCountsMatch());
    EXPECT_EQ(stream.text(), "PLIX_START\nV0Min 1.000000\nGravi\nAgeMin\nabcd\n");
}

} // namespace
} // namespace plix::standin
