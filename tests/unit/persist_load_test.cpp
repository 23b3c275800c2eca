#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "effect/launch.h"
#include "persist/scene_block.h"
#include "persist_test_support.h"

using persist_test::AtEnd;
using persist_test::LineStream;
using persist_test::onFreshThread;
using persist_test::TestInstance;

namespace {

enum class Setting { V0Min, StartFrame, AgeMin, AgeMax, Birth, Gravity, Regist, AvoidX };

double settingOf(const SparkSettings &s, Setting which) {
    switch (which) {
    case Setting::V0Min: return s.v0Min;
    case Setting::StartFrame: return s.startFrame;
    case Setting::AgeMin: return s.ageMin;
    case Setting::AgeMax: return s.ageMax;
    case Setting::Birth: return s.birthRate;
    case Setting::Gravity: return s.gravity;
    case Setting::Regist: return s.regist;
    case Setting::AvoidX: return s.avoidPos[0];
    }
    return 0.0;
}

struct LoadCase {
    std::vector<std::string> body; // between "PLIX_START" and "PLIX_END"
    Setting setting;
    double expected; // defaults: v0Min 1, ageMin 10, gravity 9.8, ...
};

constexpr double int32Max = 2147483647.0;
constexpr double int32Min = -2147483648.0;

const LoadCase loadCases[] = {
    // shortened keywords, first name in test order wins
    {{"AgeM 7"}, Setting::AgeMin, 7},
    {{"Avoid 5"}, Setting::AvoidX, 5},
    {{"S 12"}, Setting::StartFrame, 12},
    {{"Re 3.5"}, Setting::Regist, 3.5},
    {{"PLIX", "Gravity 1"}, Setting::Gravity, 9.8},
    {{"", "Gravity 1"}, Setting::Gravity, 9.8},
    {{" 3", "Gravity 1"}, Setting::Gravity, 9.8},
    // keywords that match no name
    {{"V0MinX 5"}, Setting::V0Min, 1},
    {{"V0Min: 5"}, Setting::V0Min, 1},
    {{"v0min 5"}, Setting::V0Min, 1},
    {{"Gravity\t4"}, Setting::Gravity, 9.8},
    {{"PLIX_START 7", "Gravity 1"}, Setting::Gravity, 1},
    // conversion forms
    {{"Gravity 1e1"}, Setting::Gravity, 10},
    {{"Gravity 2.5d1"}, Setting::Gravity, 25},
    {{"Gravity abc"}, Setting::Gravity, 0},
    {{"Gravity "}, Setting::Gravity, 0},
    {{"Gravity  4"}, Setting::Gravity, 4},
    {{"Gravity 1,5"}, Setting::Gravity, 1},
    {{"Gravity 9.8"}, Setting::Gravity, 9.8},
    {{"Gravity 1e999"}, Setting::Gravity, std::numeric_limits<double>::infinity()},
    // integer settings: truncated toward zero, saturated at the int32 range
    {{"Birth 59.99"}, Setting::Birth, 59},
    {{"AgeMin -3.7"}, Setting::AgeMin, -3},
    {{"Birth 1e10"}, Setting::Birth, int32Max},
    {{"AgeMax -3e9"}, Setting::AgeMax, int32Min},
    {{"AgeMax 1e999"}, Setting::AgeMax, int32Max},
    // missing values, repeated lines
    {{"Gravity 2", "V0Min"}, Setting::V0Min, 2},
    {{"V0Min"}, Setting::V0Min, 1},
    {{"Gravity 1", "Gravity 2"}, Setting::Gravity, 2},
    {{"REFERENCE 9", "AgeMin 5"}, Setting::AgeMin, 10},
};

std::vector<std::string> block(const std::vector<std::string> &body) {
    std::vector<std::string> lines{"PLIX_START"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("PLIX_END");
    return lines;
}

void load(TestInstance &t, LineStream &stream) {
    const LoadState state = stream.state();
    EXPECT_EQ(loadInstance(&t.inst, &state), nullptr);
}

// Every byte of the instance and its sparks.
std::vector<unsigned char> bytesOf(const TestInstance &t) {
    const auto *inst = reinterpret_cast<const unsigned char *>(&t.inst);
    const auto *points = reinterpret_cast<const unsigned char *>(t.points.data());
    std::vector<unsigned char> out(inst, inst + sizeof t.inst);
    out.insert(out.end(), points, points + t.points.size() * sizeof(SparkPoint));
    return out;
}

} // namespace

TEST(SceneLoad, EdgeCaseTable) {
    for (const LoadCase &c : loadCases) {
        TestInstance t;
        LineStream stream{block(c.body)};
        load(t, stream);
        const double got = settingOf(t.sparks(), c.setting);
        EXPECT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(c.expected))
            << c.body.front() << " gave " << got;
    }
}

TEST(SceneLoad, ReferenceNameIsTheNextLineWhole) {
    TestInstance t;
    LineStream stream{block({"RE", "AgeMin 5", "AgeMax 70"})};
    load(t, stream);
    EXPECT_STREQ(t.inst.referenceName, "AgeMin 5");
    EXPECT_EQ(t.sparks().ageMin, 10);
    EXPECT_EQ(t.sparks().ageMax, 70);
    EXPECT_EQ(stream.maxima, (std::vector<int>{256, 256, 50, 256, 256}));
}

TEST(SceneLoad, FirstLineDecidesWhetherThereIsABlock) {
    struct Case {
        std::vector<std::string> lines;
        bool taken;
    };
    const Case cases[] = {
        {{"PLIX_END", "Gravity 1"}, false},
        {{"PLIX_STARTX", "Gravity 1"}, false},
        {{"Gravity 1", "Gravity 1"}, false},
        {{"PLIX", "Gravity 1"}, true},
        {{"", "Gravity 1"}, true},
        {{" x", "Gravity 1"}, true},
    };
    for (const Case &c : cases) {
        TestInstance t;
        const auto before = bytesOf(t);
        LineStream stream{c.lines};
        load(t, stream);
        EXPECT_EQ(t.sparks().gravity, c.taken ? 1.0 : 9.8) << c.lines.front();
        if (!c.taken) {
            EXPECT_EQ(stream.reads, 1);
            EXPECT_EQ(bytesOf(t), before);
        }
    }
}

TEST(SceneLoad, StopsRightAfterTheClosingLine) {
    TestInstance t;
    LineStream stream{{"PLIX_START", "Gravity 2", "PLIX_END", "Gravity 3"}};
    load(t, stream);
    EXPECT_EQ(t.sparks().gravity, 2.0);
    EXPECT_EQ(stream.reads, 3);
}

TEST(SceneLoad, EveryKindOfStreamEndEndsTheBlock) {
    for (AtEnd atEnd : {AtEnd::EmptyText, AtEnd::Negative, AtEnd::NegativeJunk,
                        AtEnd::RepeatLastLine}) {
        TestInstance t;
        LineStream stream{{"PLIX_START", "Gravity 3"}};
        stream.atEnd = atEnd;
        load(t, stream);
        EXPECT_EQ(t.sparks().gravity, 3.0);
        EXPECT_EQ(stream.reads, atEnd == AtEnd::RepeatLastLine ? 1 + maxSceneBlockLines : 3);
    }
}

TEST(SceneLoad, FailingFirstReadIsNoBlock) {
    onFreshThread([] {
        TestInstance t;
        const auto before = bytesOf(t);
        LineStream stream;
        stream.atEnd = AtEnd::NegativeJunk;
        load(t, stream);
        EXPECT_EQ(stream.reads, 1);
        EXPECT_EQ(bytesOf(t), before);
        EXPECT_EQ(drawRandom(), 41); // nothing drawn
    });
}

TEST(SceneLoad, RefusedLoadDrawsNothing) {
    onFreshThread([] {
        TestInstance t;
        LineStream stream{{"PLIX_END"}};
        load(t, stream);
        EXPECT_EQ(drawRandom(), 41);
    });
}

// After a load every velocity is drawn, then every lifetime, from the loaded
// settings, continuing the thread's sequence.
TEST(SceneLoad, DrawsVelocitiesThenLifetimes) {
    struct Case {
        std::vector<std::string> body;
        void (*apply)(SparkSettings &);
    };
    const Case cases[] = {
        {{}, [](SparkSettings &) {}}, // the very settings the instance has
        {{"V0Min 2", "V0Max 3.5", "SpreadMin 10", "SpreadMax 40", "AgeMin 5", "AgeMax 25"},
         [](SparkSettings &s) {
             s.v0Min = 2;
             s.v0Max = 3.5;
             s.spreadMin = 10;
             s.spreadMax = 40;
             s.ageMin = 5;
             s.ageMax = 25;
         }},
    };
    for (const Case &c : cases) {
        std::vector<SparkPoint> loaded, expected;
        onFreshThread([&] {
            drawRandom(); // a sequence already under way
            TestInstance t(4);
            LineStream stream{block(c.body)};
            load(t, stream);
            loaded = t.points;
        });
        onFreshThread([&] {
            drawRandom();
            TestInstance t(4);
            c.apply(t.sparks());
            randomiseVelocities(t.sparks());
            randomiseLifetimes(t.sparks());
            expected = t.points;
        });
        ASSERT_EQ(loaded.size(), expected.size());
        for (size_t i = 0; i < loaded.size(); ++i) {
            EXPECT_EQ(std::memcmp(loaded[i].velocity, expected[i].velocity, sizeof loaded[i].velocity), 0);
            EXPECT_EQ(loaded[i].lifetime, expected[i].lifetime);
        }
    }
}
