// `plix-sandbox play` end to end through the real plix6.p: the cache against
// the module's own evaluate results, the scene saved back, the preview
// images, and what a failing run leaves behind.
#include <gtest/gtest.h>

#include <charconv>
#include <map>

#include "player/frame_range.h"
#include "play_helpers.h"
#include "plix/standin/standin.h"
#include "scene/scene_reader.h"

#ifdef PLIX_HAVE_PREVIEW
#include <gd.h>

#include "preview/preview_recorder.h"
#endif

namespace plix::testing {
namespace {

constexpr const char *moverBlock =
    "  | PLIX_START\n  | V0Min 1.000000\n  | V0Max 3.000000\n  | AgeMin 3.000000\n  | AgeMax 9.000000\n"
    "  | Gravity 9.800000\n  | Regist 0.000000\n  | START_F 2.000000\n  | Birth 300.000000\n  | ReCycle 1.000000\n"
    "  | SpreadMin 0.000000\n  | SpreadMax 90.000000\n  | AvoidX -7.000000\n  | AvoidY 5.000000\n"
    "  | AvoidZ 1.000000\n  | PLIX_END\n";

// Two objects at 25 frames per second: a moving, turning one whose effect
// parks its sparks at (-7, 5, 1), and a still tetrahedron mesh whose effect
// has the default settings.
std::filesystem::path writeSmallScene(const TempFolder &folder) {
    folder.write("tetra.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\n");
    return folder.write("small.scene", std::string("fps 25\nframes 0 19\n"
                                                   "object Mover\n  points 40\n"
                                                   "  position 0 0 0 0\n  position 19 4 1 -2\n"
                                                   "  rotation 0 0 0 0\n  rotation 19 180 30 10\n  effect\n") +
                                           moverBlock + "object Still\n  mesh tetra.obj\n  effect\n");
}

struct CsvRow {
    int frame;
    std::string object;
    int effect;
    int spark;
    double x, y, z;
    double vx, vy, vz;
    float age;
    int parked;
};

template <class Number>
Number parse(const std::string &text) {
    Number value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::vector<CsvRow> readCsv(const std::filesystem::path &file) {
    std::istringstream in(readWholeFile(file));
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "frame,time,object,effect,id,x,y,z,vx,vy,vz,age,parked");
    std::vector<CsvRow> rows;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
        if (f.size() != 13) throw std::runtime_error("bad cache row: " + line);
        rows.push_back({parse<int>(f[0]), f[2], parse<int>(f[3]), parse<int>(f[4]), parse<double>(f[5]),
                        parse<double>(f[6]), parse<double>(f[7]), parse<double>(f[8]), parse<double>(f[9]),
                        parse<double>(f[10]), parse<float>(f[11]), parse<int>(f[12])});
    }
    return rows;
}

// The same scene driven directly through the stand-in host, as a host would:
// frame -> (effect, spark) -> position and published age.
struct Reference {
    std::map<int, std::vector<std::vector<geometry::Vec3>>> positions;
    std::map<int, std::vector<std::vector<float>>> ages;
};

Reference driveDirectly(const std::filesystem::path &sceneFile) {
    Reference ref;
    onFreshThread([&] {
        const scene::Scene scene = scene::readSceneFile(sceneFile);
        standin::StandinHost host;
        standin::ModuleFile module;
        ASSERT_TRUE(module.open(PLIX_MODULE_PATH)) << module.errorText();
        standin::HandlerServer effect(module, host);
        ASSERT_EQ(effect.activate(), 0);
        std::vector<std::pair<void *, int>> instances;
        for (std::size_t o = 0; o < scene.objects.size(); ++o) {
            const scene::SceneObject &object = scene.objects[o];
            host.addObject({standin::itemId(100 + o), object.pointCount,
                            [&object, &scene](double t) { return object.positionAt(t, scene.fps); },
                            [&object, &scene](double t) { return object.axesAt(t, scene.fps); }});
            for (const scene::EffectBlock &block : object.effects) {
                void *instance = effect.create(standin::itemId(100 + o));
                std::string text;
                for (const std::string &line : block.lines) text += line + "\n";
                standin::TextLoadState load(text);
                effect.load(instance, load.state());
                instances.emplace_back(instance, object.pointCount);
            }
        }
        const auto systems = host.particles().systems();
        for (int frame = scene.firstFrame; frame <= scene.lastFrame; ++frame)
            for (std::size_t e = 0; e < instances.size(); ++e) {
                effect.newTime(instances[e].first, frame, frame / scene.fps);
                ref.positions[frame].push_back(effect.evaluateAll(instances[e].first, instances[e].second));
                ref.ages[frame].push_back(systems[e]->ages);
            }
        for (const auto &instance : instances) effect.destroy(instance.first);
    });
    return ref;
}

#ifdef PLIX_HAVE_PREVIEW
// Image descriptors in a GIF stream: its frame count.
int gifFrameCount(const std::string &gif) {
    auto byte = [&](std::size_t at) { return at < gif.size() ? static_cast<unsigned char>(gif[at]) : 0x3B; };
    auto skipSubBlocks = [&](std::size_t at) {
        while (at < gif.size() && byte(at) != 0) at += byte(at) + 1u;
        return at + 1;
    };
    std::size_t at = 13;
    if (byte(10) & 0x80) at += 3u * (1u << ((byte(10) & 7) + 1));
    int frames = 0;
    while (at < gif.size() && byte(at) != 0x3B) {
        if (byte(at) == 0x21) {
            at = skipSubBlocks(at + 2);
        } else if (byte(at) == 0x2C) {
            ++frames;
            const unsigned packed = byte(at + 9);
            at += 10;
            if (packed & 0x80) at += 3u * (1u << ((packed & 7) + 1));
            at = skipSubBlocks(at + 1);
        } else {
            ADD_FAILURE() << "unexpected GIF block " << byte(at);
            break;
        }
    }
    return frames;
}

std::pair<int, int> decodedSize(const std::string &bytes, bool png) {
    void *data = const_cast<char *>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    gdImagePtr image = png ? gdImageCreateFromPngPtr(size, data) : gdImageCreateFromGifPtr(size, data);
    if (image == nullptr) return {0, 0};
    const std::pair<int, int> dimensions{gdImageSX(image), gdImageSY(image)};
    gdImageDestroy(image);
    return dimensions;
}
#endif

TEST(PlayCommand, CacheHoldsWhatTheModuleHandsOutAndTheSceneComesBack) {
    TempFolder folder;
    const auto sceneFile = writeSmallScene(folder);
    sandbox::PlayOptions options;
    options.scene = sceneFile;
    options.out = folder / "out";
    options.cache = cache::CacheFormat::csv;
    options.keepParked = true;
    const CommandResult result = play(options);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("played 20 frames (0-19) of 2 effects: 44 sparks"), std::string::npos) << result.out;

    // Every spark of every frame, against a host driving the module directly.
    const Reference ref = driveDirectly(sceneFile);
    const std::vector<CsvRow> rows = readCsv(folder / "out" / "cache.csv");
    ASSERT_EQ(rows.size(), 20u * 44u);
    int parkedSeen = 0, flyingSeen = 0;
    for (const CsvRow &row : rows) {
        const int e = row.object == "Mover" ? 0 : 1;
        ASSERT_EQ(row.effect, 1);
        const geometry::Vec3 &p = ref.positions.at(row.frame).at(e).at(row.spark);
        EXPECT_EQ(row.x, p.x);
        EXPECT_EQ(row.y, p.y);
        EXPECT_EQ(row.z, p.z);
        const bool atParking = e == 0 ? (p == geometry::Vec3{-7, 5, 1}) : (p == geometry::Vec3{-100, -100, 0});
        EXPECT_EQ(row.parked, atParking ? 1 : 0);
        if (atParking) { // nothing carried over from earlier frames
            EXPECT_EQ(row.age, 0.0f);
            EXPECT_EQ(row.vx, 0.0);
            EXPECT_EQ(row.vy, 0.0);
            EXPECT_EQ(row.vz, 0.0);
        } else {
            EXPECT_EQ(row.age, ref.ages.at(row.frame).at(e).at(row.spark));
        }
        (row.parked ? parkedSeen : flyingSeen)++;
    }
    EXPECT_GT(parkedSeen, 0);
    EXPECT_GT(flyingSeen, 0);

    // The scene saved back holds the module's blocks and plays the same.
    const auto saved = folder / "out" / "small.scene";
    const scene::Scene again = scene::readSceneFile(saved);
    ASSERT_EQ(again.objects.size(), 2u);
    for (const auto &object : again.objects) {
        ASSERT_EQ(object.effects.size(), 1u);
        ASSERT_EQ(object.effects[0].lines.size(), 16u);
        EXPECT_EQ(object.effects[0].lines.front(), "PLIX_START");
        EXPECT_EQ(object.effects[0].lines.back(), "PLIX_END");
    }
    EXPECT_EQ(again.objects[0].effects[0].lines[8], "Birth 300.000000");
    EXPECT_EQ(again.objects[1].effects[0].lines[1], "V0Min 1.000000") << "the default block, written by the module";
    EXPECT_EQ(again.objects[1].pointCount, 4) << "the mesh is found from the output folder";
    options.scene = saved;
    options.out = folder / "again";
    options.preview = sandbox::PreviewKind::none;
    ASSERT_EQ(play(options).exitCode, 0);
    EXPECT_TRUE(readWholeFile(folder / "again" / "cache.csv") == readWholeFile(folder / "out" / "cache.csv"));
    EXPECT_EQ(readWholeFile(folder / "again" / "small.scene"), readWholeFile(saved));
}

#ifdef PLIX_HAVE_PREVIEW
TEST(PlayCommand, PreviewImagesDecodeWithTheirSizeAndFrames) {
    TempFolder folder;
    sandbox::PlayOptions options;
    options.scene = writeSmallScene(folder);
    options.out = folder / "out";
    options.frames = sandbox::FrameRange{3, 9};
    options.preview = sandbox::PreviewKind::both;
    ASSERT_EQ(play(options).exitCode, 0);
    // 7 frames: a contact sheet of 4 columns and 2 rows of 320 x 240 cells.
    // A slice of the scene: its range is in the names.
    EXPECT_EQ(decodedSize(readWholeFile(folder / "out" / "preview_000003-000009.png"), true), (std::pair{1280, 480}));
    const std::string gif = readWholeFile(folder / "out" / "preview_000003-000009.gif");
    EXPECT_EQ(decodedSize(gif, false), (std::pair{480, 360}));
    EXPECT_EQ(gifFrameCount(gif), 7);
    EXPECT_FALSE(std::filesystem::exists(folder / "out" / "preview.png"));
}

// The GIF keeps the scene's rate: every frame, shown for whole hundredths of
// a second that add up to the scene's time; above 50 per second (viewers
// show a frame for 2 hundredths at least) every n-th frame for n frames.
TEST(PlayCommand, AnimationPlaysAtTheScenesRate) {
    struct Case {
        double fps;
        int frames, shown, hundredths;
    };
    for (const Case c : {Case{30, 150, 150, 500}, Case{25, 10, 10, 40}, Case{24, 48, 48, 200}, Case{60, 60, 30, 100},
                         Case{1000, 100, 5, 10}}) {
        SCOPED_TRACE("fps " + std::to_string(c.fps));
        const preview::PreviewRecorder recorder(0, c.frames - 1, c.fps, {});
        ASSERT_EQ(static_cast<int>(recorder.gifFrames().size()), c.shown);
        int total = 0;
        for (std::size_t i = 0; i < recorder.gifFrames().size(); ++i) {
            EXPECT_GE(recorder.gifDelay(i), 2);
            total += recorder.gifDelay(i);
        }
        EXPECT_EQ(total, c.hundredths);
    }
}

// A long range would make a GIF of hours that costs a kilobyte a frame: it
// is sampled evenly down to at most 1,000 frames, played faster, and the run
// says so.
TEST(PlayCommand, ALongRangeGivesAGifOfAThousandFramesAtMost) {
    TempFolder folder;
    sandbox::PlayOptions options;
    options.out = folder / "out";
    options.scene = folder.write("long.scene", "frames 0 4499\nobject A\n  points 1\n  effect\n");
    options.preview = sandbox::PreviewKind::gif;
    const CommandResult result = play(options);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(gifFrameCount(readWholeFile(folder / "out" / "preview.gif")), 900);
    EXPECT_NE(result.err.find("note: preview.gif shows one frame in 5 (900 frames of 4,500), 5 times as fast as the "
                              "scene plays"),
              std::string::npos)
        << result.err;
    const preview::PreviewRecorder recorder(0, 999, 30, {});
    EXPECT_EQ(recorder.gifFrames().size(), 1000u) << "up to 1,000 frames, every frame is shown";
    EXPECT_EQ(recorder.gifSpeedUp(), 1);
}
#endif

TEST(PlayCommand, FailedRunsWriteNothingAndKeepEarlierOutputs) {
    TempFolder folder;
    const auto out = folder / "out";
    std::filesystem::create_directories(out);
    folder.write("out/small.scene", "earlier output");

    sandbox::PlayOptions options;
    options.out = out;
    options.scene = folder.write("bad.scene", "object A\n  points 10\n  rotation 0 0 0\n");
    CommandResult result = play(options);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("bad.scene:3: expected 'rotation FRAME HEADING PITCH BANK'"), std::string::npos)
        << result.err;

    options.scene = writeSmallScene(folder);
    options.module = folder / "missing.p";
    result = play(options);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("missing.p"), std::string::npos) << result.err;

    options.module = folder / "tetra.obj"; // a file, but no module
    result = play(options);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("cannot load the module"), std::string::npos) << result.err;

    std::vector<std::string> left;
    for (const auto &entry : std::filesystem::directory_iterator(out)) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"small.scene"});
    EXPECT_EQ(readWholeFile(out / "small.scene"), "earlier output");
}

TEST(PlayCommand, BuiltInSceneNeedsNoFile) {
    TempFolder folder;
    sandbox::PlayOptions options;
    options.out = folder / "out";
    options.frames = sandbox::FrameRange{40, 41};
    options.preview = sandbox::PreviewKind::none;
    const CommandResult result = play(options);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("played 2 frames (40-41) of 1 effect: 3000 sparks"), std::string::npos) << result.out;
    EXPECT_EQ(scene::readSceneFile(folder / "out" / "default.scene").objects.at(0).pointCount, 3000);
}

struct RangeCase {
    const char *text;
    bool valid;
    int first, last;
};

void PrintTo(const RangeCase &c, std::ostream *out) { *out << '"' << c.text << '"'; }

class FrameRanges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(FrameRanges, ReadAsTheFarmWritesThem) {
    const RangeCase &c = GetParam();
    const auto range = sandbox::parseFrameRange(c.text);
    ASSERT_EQ(range.has_value(), c.valid) << c.text;
    if (range) {
        EXPECT_EQ(range->first, c.first);
        EXPECT_EQ(range->last, c.last);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FrameRanges,
    ::testing::Values(RangeCase{"0-149", true, 0, 149}, RangeCase{"7", true, 7, 7}, RangeCase{"-10--2", true, -10, -2},
                      RangeCase{"-5-3", true, -5, 3}, RangeCase{"9-3", false, 0, 0}, RangeCase{"", false, 0, 0},
                      RangeCase{"1-", false, 0, 0}, RangeCase{"a-b", false, 0, 0}, RangeCase{"1-2x", false, 0, 0},
                      RangeCase{"1..5", false, 0, 0}, RangeCase{"99999999999-1", false, 0, 0}));

} // namespace
} // namespace plix::testing
