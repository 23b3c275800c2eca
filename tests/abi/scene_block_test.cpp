// The scene block through the binary interface: the save and load entries of
// plix6.p with the stand-in host's line states.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "module_fixture.h"

namespace {

using namespace plix::test;

const std::vector<std::string> defaultBlock = {
    "PLIX_START",         "V0Min 1.000000",     "V0Max 4.000000",     "AgeMin 10.000000",
    "AgeMax 60.000000",   "Gravity 9.800000",   "Regist 0.000000",    "START_F 0.000000",
    "Birth 60.000000",    "ReCycle 1.000000",   "SpreadMin 0.000000", "SpreadMax 180.000000",
    "AvoidX -100.000000", "AvoidY -100.000000", "AvoidZ 0.000000",    "PLIX_END",
};

std::string textOf(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines) text += line + '\n';
    return text;
}

// The block with the given lines between its opening and closing lines.
std::string blockWith(const std::vector<std::string> &body) {
    return "PLIX_START\n" + textOf(body) + "PLIX_END\n";
}

class SceneBlock : public ModuleTest {
protected:
    std::vector<std::string> save(void *instance) {
        LineSaveState out;
        EXPECT_EQ(effect.save(instance, out.state()), nullptr);
        EXPECT_TRUE(out.allCountsMatch());
        return out.lines();
    }

    void load(void *instance, const std::string &text) {
        TextLoadState in(text);
        EXPECT_EQ(effect.load(instance, in.state()), nullptr);
    }

    // Where the sparks are at a few frames: shows their velocities and lifetimes.
    std::vector<Vec3> trace(void *instance, int points) {
        std::vector<Vec3> all;
        for (int frame : {3, 20, 45, 80}) {
            effect.newTime(instance, frame, frame / 30.0);
            const auto positions = effect.evaluateAll(instance, points);
            all.insert(all.end(), positions.begin(), positions.end());
        }
        return all;
    }
};

} // namespace

TEST_F(SceneBlock, DefaultSettingsWriteSixteenLines) {
    LineSaveState out;
    effect.save(create(itemId(1), 4), out.state());
    ASSERT_EQ(out.lines(), defaultBlock);
    const std::vector<int> counts = {11, 15, 15, 17, 17, 17, 16, 17, 16, 17, 19, 21, 19, 19, 16, 9};
    for (size_t i = 0; i < counts.size(); ++i) EXPECT_EQ(out.writes()[i].byteCount, counts[i]) << i;
}

TEST_F(SceneBlock, SavedBlockLoadsIntoAnotherInstance) {
    void *from = create(itemId(1), 3);
    load(from, blockWith({"V0Min -0.25", "V0Max 1e20", "AgeMin -2147483648", "AgeMax 2147483647",
                          "Gravity 9.8765432", "Regist 1e-7", "START_F -15", "Birth 123456",
                          "ReCycle 0", "SpreadMin 200", "SpreadMax -45", "AvoidX 1e300",
                          "AvoidY -1e999", "AvoidZ 123456789012.3456789"}));
    const std::vector<std::string> saved = save(from);
    const std::vector<std::string> expected = {
        "PLIX_START",
        "V0Min -0.250000",
        "V0Max 100000000000000000000.000000",
        "AgeMin -2147483648.000000",
        "AgeMax 2147483647.000000",
        "Gravity 9.876543",
        "Regist 0.000000",
        "START_F -15.000000",
        "Birth 123456.000000",
        "ReCycle 0.000000",
        "SpreadMin 200.000000",
        "SpreadMax -45.000000",
        "AvoidX 1e+300", // its fixed text would not fit a line
        "AvoidY -1e999", // an infinity, read back as one
        "AvoidZ 123456789012.345673",
        "PLIX_END",
    };
    EXPECT_EQ(saved, expected);

    void *to = create(itemId(2), 7);
    load(to, textOf(saved));
    EXPECT_EQ(save(to), saved);
}

// Each case: the block's body, then the line the instance saves afterwards.
struct ReadCase {
    std::vector<std::string> body;
    std::string savedLine;
};

const ReadCase readCases[] = {
    // shortened keywords: the first name in test order wins
    {{"AgeM 7"}, "AgeMin 7.000000"},
    {{"Avoid 5"}, "AvoidX 5.000000"},
    {{"S 12"}, "START_F 12.000000"},
    {{"Re 3.5"}, "Regist 3.500000"},
    {{"PLIX", "Gravity 1"}, "Gravity 9.800000"},
    {{"", "Gravity 1"}, "Gravity 9.800000"},
    {{" 3", "Gravity 1"}, "Gravity 9.800000"},
    // keywords that match no name
    {{"V0MinX 5"}, "V0Min 1.000000"},
    {{"V0Min: 5"}, "V0Min 1.000000"},
    {{"v0min 5"}, "V0Min 1.000000"},
    {{"Gravity\t4"}, "Gravity 9.800000"},
    {{"PLIX_START 7", "Gravity 1"}, "Gravity 1.000000"},
    // REFERENCE takes the next line whole
    {{"RE", "AgeMin 5"}, "AgeMin 10.000000"},
    {{"REFERENCE 9", "AgeMin 5", "AgeMax 70"}, "AgeMax 70.000000"},
    // conversion forms
    {{"Gravity 1e1"}, "Gravity 10.000000"},
    {{"Gravity 2.5d1"}, "Gravity 25.000000"},
    {{"Gravity abc"}, "Gravity 0.000000"},
    {{"Gravity "}, "Gravity 0.000000"},
    {{"Gravity  4"}, "Gravity 4.000000"},
    {{"Gravity 1,5"}, "Gravity 1.000000"},
    {{"Gravity -0"}, "Gravity -0.000000"},
    {{"Gravity 0x10"}, "Gravity 0.000000"},
    {{"Gravity inf"}, "Gravity 0.000000"},
    {{"Gravity 1e999"}, "Gravity 1e999"},
    // integer settings: truncated toward zero, saturated at the int32 range
    {{"Birth 59.99"}, "Birth 59.000000"},
    {{"AgeMin -3.7"}, "AgeMin -3.000000"},
    {{"Birth 1e10"}, "Birth 2147483647.000000"},
    {{"AgeMax -3e9"}, "AgeMax -2147483648.000000"},
    // missing values, repeated and missing lines
    {{"Gravity 2", "V0Min"}, "V0Min 2.000000"},
    {{"V0Min"}, "V0Min 1.000000"},
    {{"Gravity 1", "Gravity 2"}, "Gravity 2.000000"},
    {{"Gravity 1"}, "AvoidX -100.000000"},
};

TEST_F(SceneBlock, ReaderEdgeCases) {
    for (const ReadCase &c : readCases) {
        void *instance = create(itemId(1), 2);
        load(instance, blockWith(c.body));
        const std::vector<std::string> saved = save(instance);
        const std::string keyword = c.savedLine.substr(0, c.savedLine.find(' '));
        bool found = false;
        for (const std::string &line : saved)
            if (line.substr(0, line.find(' ')) == keyword) {
                EXPECT_EQ(line, c.savedLine) << "after " << c.body.front();
                found = true;
            }
        EXPECT_TRUE(found) << keyword;
        destroy(instance);
    }
}

TEST_F(SceneBlock, FirstLineThatIsNotTheOpeningKeywordChangesNothing) {
    for (const char *first : {"PLIX_END", "PLIX_STARTX", "plix_start", "V0Min 3"}) {
        void *instance = create(itemId(1), 2);
        TextLoadState in(std::string(first) + "\nGravity 1\nPLIX_END\n");
        effect.load(instance, in.state());
        EXPECT_EQ(in.reads().size(), 1u) << first;
        EXPECT_EQ(save(instance), defaultBlock) << first;
        destroy(instance);
    }
}

TEST_F(SceneBlock, ReadsStopAfterTheClosingLineAndAtTheStreamsEnd) {
    void *instance = create(itemId(1), 2);
    TextLoadState rest(blockWith({"Gravity 2"}) + "Gravity 3\n");
    effect.load(instance, rest.state());
    EXPECT_EQ(rest.linesLeft(), 1u);

    // A block cut short by a stream that fails ends there, as at an empty line.
    TextLoadState cut("PLIX_START\nGravity 4\n");
    cut.setStreamEnd(TextLoadState::StreamEnd::NegativeUntouched);
    effect.load(instance, cut.state());
    EXPECT_EQ(cut.reads().size(), 3u);
    EXPECT_EQ(save(instance)[5], "Gravity 4.000000");

    // Lines that fill the whole buffer without a zero are cut at its end.
    TextLoadState full("PLIX_START\n" + std::string(300, 'G') + "\nRE\n" + std::string(80, 'r') +
                       "\nGravity 5\nPLIX_END\n");
    full.setLineEnd(TextLoadState::LineEnd::Unterminated);
    effect.load(instance, full.state());
    EXPECT_EQ(save(instance)[5], "Gravity 5.000000");
}

// After a load every spark gets a new velocity, then a new lifetime, from the
// loaded settings: the very draws a further creation would take.
TEST_F(SceneBlock, LoadDrawsVelocitiesThenLifetimes) {
    constexpr int points = 12;
    host.addObject(HostObject::fixed(itemId(1), points));
    const auto withLoad = onFreshThread([&] {
        void *a = adopt(effect.create(itemId(1)));
        load(a, textOf(defaultBlock));
        void *c = adopt(effect.create(itemId(1)));
        return std::vector{trace(a, points), trace(c, points)};
    });
    const auto createdOnly = onFreshThread([&] {
        adopt(effect.create(itemId(1)));
        void *b = adopt(effect.create(itemId(1)));
        void *c = adopt(effect.create(itemId(1)));
        return std::vector{trace(b, points), trace(c, points)};
    });
    EXPECT_EQ(withLoad, createdOnly);
}

TEST_F(SceneBlock, RefusedLoadDrawsNothing) {
    constexpr int points = 12;
    host.addObject(HostObject::fixed(itemId(1), points));
    const auto refused = onFreshThread([&] {
        void *a = adopt(effect.create(itemId(1)));
        const auto before = trace(a, points);
        load(a, "PLIX_END\n");
        void *b = adopt(effect.create(itemId(1)));
        return std::vector{before, trace(a, points), trace(b, points)};
    });
    const auto plain = onFreshThread([&] {
        void *a = adopt(effect.create(itemId(1)));
        void *b = adopt(effect.create(itemId(1)));
        return std::vector{trace(a, points), trace(a, points), trace(b, points)};
    });
    EXPECT_EQ(refused, plain);
}

TEST_F(SceneBlock, SameTextUnderADecimalCommaLocale) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    char probe[8];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5"); // the locale is in force

    void *instance = create(itemId(1), 2);
    load(instance, blockWith({"V0Min 0.1", "V0Max 2.25"}));
    const std::vector<std::string> saved = save(instance);
    void *other = create(itemId(2), 2);
    load(other, textOf(saved));
    const std::vector<std::string> again = save(other);
    std::setlocale(LC_ALL, "C");

    EXPECT_EQ(saved[1], "V0Min 0.100000");
    EXPECT_EQ(saved[2], "V0Max 2.250000");
    EXPECT_EQ(saved[5], "Gravity 9.800000");
    EXPECT_EQ(again, saved);
}
