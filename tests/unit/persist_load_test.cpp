#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "effect/launch.h"
#include "persist/scene_block.h"
#include "fresh_thread.h"
#include "plix/standin/scene_streams.h"
#include "test_instance.h"

using plix::standin::TextLoadState;
using plix::test::onFreshThread;
using plix::test::TestInstance;
using StreamEnd = TextLoadState::StreamEnd;
using Lines = std::vector<std::string>;

namespace {

std::vector<std::string> block(const std::vector<std::string> &body) {
    std::vector<std::string> lines{"PLIX_START"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("PLIX_END");
    return lines;
}

void load(TestInstance &t, TextLoadState &stream) {
    EXPECT_EQ(loadInstance(&t.inst, stream.state()), nullptr);
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

TEST(SceneLoad, ReferenceNameIsTheNextLineWhole) {
    TestInstance t;
    TextLoadState stream{block({"RE", "AgeMin 5", "AgeMax 70"})};
    load(t, stream);
    EXPECT_STREQ(t.inst.referenceName, "AgeMin 5");
    EXPECT_EQ(t.sparks().ageMin, 10);
    EXPECT_EQ(t.sparks().ageMax, 70);
    EXPECT_EQ(stream.readSizes(), (std::vector<int>{256, 256, 50, 256, 256}));
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
        TextLoadState stream{c.lines};
        load(t, stream);
        EXPECT_EQ(t.sparks().gravity, c.taken ? 1.0 : 9.8) << c.lines.front();
        if (!c.taken) {
            EXPECT_EQ(stream.reads().size(), 1u);
            EXPECT_EQ(bytesOf(t), before);
        }
    }
}

TEST(SceneLoad, EveryKindOfStreamEndEndsTheBlock) {
    for (StreamEnd atEnd : {StreamEnd::EmptyText, StreamEnd::NegativeUntouched, StreamEnd::NegativeAfterJunk,
                            StreamEnd::RepeatLastLine}) {
        TestInstance t;
        TextLoadState stream{Lines{"PLIX_START", "Gravity 3"}};
        stream.setStreamEnd(atEnd);
        load(t, stream);
        EXPECT_EQ(t.sparks().gravity, 3.0);
        EXPECT_EQ(stream.reads().size(),
                  static_cast<size_t>(atEnd == StreamEnd::RepeatLastLine ? 1 + maxSceneBlockLines : 3));
    }
}

TEST(SceneLoad, FailingFirstReadIsNoBlock) {
    onFreshThread([] {
        TestInstance t;
        const auto before = bytesOf(t);
        TextLoadState stream{Lines{}};
        stream.setStreamEnd(StreamEnd::NegativeAfterJunk);
        load(t, stream);
        EXPECT_EQ(stream.reads().size(), 1u);
        EXPECT_EQ(bytesOf(t), before);
        EXPECT_EQ(drawRandom(), 41); // nothing drawn
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
            TextLoadState stream{block(c.body)};
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
