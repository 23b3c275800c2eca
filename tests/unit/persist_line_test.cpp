#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "persist/scene_line.h"
#include "plix/standin/scene_streams.h"

using plix::standin::TextLoadState;
using LineEnd = TextLoadState::LineEnd;
using StreamEnd = TextLoadState::StreamEnd;

namespace {

struct LineCase {
    std::string text;
    std::string keyword;
    double value; // the value before the read is 42
};

const LineCase lineCases[] = {
    {"V0Min 1.5", "V0Min", 1.5},
    {"Gravity  2", "Gravity", 2.0},
    {"Gravity", "Gravity", 42.0},
    {"Gravity ", "Gravity", 0.0},
    {"Gravity abc", "Gravity", 0.0},
    {"Birth 1 2", "Birth", 1.0},
    {"", "", 42.0},
    {" 5", "", 5.0},
    {"V0Min\t3", "V0Min\t3", 42.0},
};

SceneLine readOne(TextLoadState &stream) {
    SceneLine line;
    line.value = 42.0;
    readSceneLine(*stream.state(), line);
    return line;
}

} // namespace

TEST(SceneLineReader, SplitsAtTheFirstSpace) {
    for (const LineCase &c : lineCases) {
        TextLoadState stream{std::vector<std::string>{c.text}};
        const SceneLine line = readOne(stream);
        EXPECT_EQ(std::string(line.keyword), c.keyword) << '"' << c.text << '"';
        EXPECT_EQ(line.value, c.value) << '"' << c.text << '"';
        EXPECT_EQ(stream.readSizes(), std::vector<int>{256});
    }
}

TEST(SceneLineReader, TextWithoutZeroEndsAtTheBuffersEnd) {
    TextLoadState noSpace{std::vector<std::string>{std::string(300, 'A')}};
    noSpace.setLineEnd(LineEnd::Unterminated);
    EXPECT_EQ(std::string(readOne(noSpace).keyword), std::string(255, 'A'));

    TextLoadState withValue{std::vector<std::string>{std::string(249, 'A') + " 123456789"}};
    withValue.setLineEnd(LineEnd::Unterminated);
    const SceneLine line = readOne(withValue);
    EXPECT_EQ(std::string(line.keyword), std::string(249, 'A'));
    EXPECT_EQ(line.value, 123456.0); // the 256 bytes end after "123456"
}

TEST(SceneLineReader, AnEndedStreamGivesAnEmptyLine) {
    for (StreamEnd atEnd : {StreamEnd::NegativeUntouched, StreamEnd::NegativeAfterJunk}) {
        TextLoadState stream{std::vector<std::string>{}};
        stream.setStreamEnd(atEnd);
        SceneLine line;
        line.value = 42.0;
        EXPECT_FALSE(readSceneLine(*stream.state(), line));
        EXPECT_STREQ(line.keyword, "");
        EXPECT_EQ(line.value, 42.0);
        EXPECT_FALSE(line.hasValue);
    }
    SceneLine line;
    EXPECT_FALSE(readSceneLine(LoadState{nullptr, nullptr, nullptr}, line));
    EXPECT_STREQ(line.keyword, "");
}

TEST(SceneKeyword, MatchesWhenItIsAPrefixOfTheName) {
    struct Case {
        const char *keyword;
        const char *name;
        bool matches;
    };
    const Case cases[] = {
        {"", "PLIX_END", true},           {"PLIX_END", "PLIX_END", true},
        {"PLIX", "PLIX_END", true},       {"S", "START_F", true},
        {"PLIX_START", "PLIX_END", false}, {"V0MinX", "V0Min", false},
        {"V0Min:", "V0Min", false},       {"v0min", "V0Min", false},
        {"\xff", "V0Min", false},
    };
    for (const Case &c : cases) {
        SceneLine line;
        std::snprintf(line.keyword, sizeof line.keyword, "%s", c.keyword);
        EXPECT_EQ(keywordMatches(c.name, line), c.matches) << c.keyword << " / " << c.name;
    }
}

TEST(SceneReferenceName, TakesFiftyBytesAndAlwaysEndsWithZero) {
    char name[51];
    std::memset(name, 'z', sizeof name);
    TextLoadState stream{std::vector<std::string>{std::string(60, 'r')}};
    stream.setLineEnd(LineEnd::Unterminated);
    readReferenceName(*stream.state(), name);
    EXPECT_EQ(std::string(name), std::string(50, 'r'));
    EXPECT_EQ(stream.readSizes(), std::vector<int>{50});

    TextLoadState ended{std::vector<std::string>{}};
    ended.setStreamEnd(StreamEnd::NegativeAfterJunk);
    readReferenceName(*ended.state(), name);
    EXPECT_STREQ(name, "");
}
