// A render farm splits a scene into frame ranges that share one output
// folder: every file a slice writes must be byte for byte the full run's,
// and no slice may replace another's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "player/frame_range.h"
#include "play_helpers.h"

namespace plix::testing {
namespace {

namespace fs = std::filesystem;

// Short lives and a fast birth rate with recycling, on a moving, turning
// object: sparks are born, die and are reborn within a few frames. A second
// object with two effects gives each effect a cache folder of its own.
constexpr const char *busyScene =
    "frames 0 29\n"
    "object Spinner\n  points 30\n  motion smooth\n"
    "  position 0 0 0 0\n  position 15 2 1 0\n  position 29 0 3 -2\n"
    "  rotation 0 0 0 0\n  rotation 29 270 -40 15\n"
    "  effect\n"
    "  | PLIX_START\n  | V0Min 1.5\n  | V0Max 4\n  | AgeMin 2\n  | AgeMax 6\n  | Birth 450\n"
    "  | ReCycle 1\n  | SpreadMax 120\n  | Gravity 9.8\n  | PLIX_END\n";

constexpr const char *twinEffects =
    "object Twin\n  points 12\n  position 0 1 2 3\n"
    "  effect\n  | PLIX_START\n  | Birth 200\n  | AgeMin 3\n  | AgeMax 8\n  | PLIX_END\n"
    "  effect\n  | PLIX_START\n  | Birth 90\n  | V0Min 6\n  | PLIX_END\n";

CommandResult playRange(const fs::path &scene, const fs::path &out, int first, int last,
                        cache::CacheFormat format = cache::CacheFormat::ply) {
    sandbox::PlayOptions options;
    options.scene = scene;
    options.frames = sandbox::FrameRange{first, last};
    options.out = out;
    options.cache = format;
    options.preview = sandbox::PreviewKind::none;
    const CommandResult result = play(options);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result;
}

std::string frameName(int frame) {
    char text[32];
    std::snprintf(text, sizeof text, "frame_%06d.ply", frame);
    return text;
}

// Every regular file below `folder`, by its path relative to it.
std::map<std::string, std::string> filesBelow(const fs::path &folder) {
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).generic_string()] = readWholeFile(entry);
    return files;
}

TEST(FarmSplit, SlicesSharingAFolderWriteTheFullRunsFilesByteForByte) {
    TempFolder folder;
    const auto scene = folder.write("busy.scene", std::string(busyScene) + twinEffects);
    playRange(scene, folder / "full", 0, 29);
    // Overlapping and single-frame slices, in any order, into one folder.
    for (const auto &[first, last] : {std::pair{20, 29}, {0, 9}, {17, 17}, {10, 19}, {5, 5}, {23, 26}})
        playRange(scene, folder / "farm", first, last);

    const auto full = filesBelow(folder / "full");
    const auto farm = filesBelow(folder / "farm");
    EXPECT_EQ(farm.size(), full.size());
    int frameFiles = 0;
    for (const auto &[name, bytes] : full) {
        ASSERT_TRUE(farm.count(name)) << name << " is missing from the farm's folder";
        EXPECT_TRUE(farm.at(name) == bytes) << name << " differs from the full run's";
        frameFiles += name.rfind("cache/", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(frameFiles, 3 * 30) << "one folder of 30 frames per effect";
    EXPECT_TRUE(full.count("cache/Spinner.1/frame_000000.ply"));
    EXPECT_TRUE(full.count("cache/Twin.2/frame_000029.ply"));

    // The cache holds only sparks in flight, whose ids are their indices.
    int inFlight = 0;
    for (int f = 0; f <= 29; ++f)
        for (const CachedSpark &spark : readPlyCache(folder / "full" / "cache/Spinner.1" / frameName(f))) {
            EXPECT_GE(spark.id, 0);
            EXPECT_LT(spark.id, 30);
            EXPECT_GT(spark.age, -1e-6f);
            ++inFlight;
        }
    EXPECT_GT(inFlight, 100);
    EXPECT_LT(inFlight, 30 * 30);
}

TEST(FarmSplit, RangeFilesOfSlicesAreNamedByTheirRangeAndReplaceNothing) {
    TempFolder folder;
    const auto scene = folder.write("busy.scene", busyScene);
    playRange(scene, folder / "farm", 0, 29, cache::CacheFormat::csv);
    playRange(scene, folder / "farm", 0, 9, cache::CacheFormat::csv);
    playRange(scene, folder / "farm", 10, 29, cache::CacheFormat::csv);
    const std::string whole = readWholeFile(folder / "farm" / "cache.csv");
    const std::string first = readWholeFile(folder / "farm" / "cache_000000-000009.csv");
    const std::string second = readWholeFile(folder / "farm" / "cache_000010-000029.csv");
    const std::string header = whole.substr(0, whole.find('\n') + 1);
    EXPECT_EQ(header, "frame,time,object,effect,id,x,y,z,vx,vy,vz,age\n");
    EXPECT_EQ(whole, first + second.substr(header.size())) << "the slices' rows are the full run's";
}

// Velocity: the derivative of each spark's flight at the frame's time. Over
// one frame of the same flight, p(t + d) - p(t) = d v(t) - (0, g d^2 / 2, 0)
// exactly for the ballistic path, which the next frame shows independently of
// how the velocity was measured.
TEST(FarmSplit, VelocityIsTheDerivativeOfTheFlightThatTheNextFrameShows) {
    TempFolder folder;
    std::string longLives = busyScene;
    for (const auto &[from, to] : {std::pair<std::string, std::string>{"AgeMin 2", "AgeMin 9"},
                                   {"AgeMax 6", "AgeMax 25"}, {"Birth 450", "Birth 60"}})
        longLives.replace(longLives.find(from), from.size(), to);
    const auto scene = folder.write("long.scene", longLives);
    playRange(scene, folder / "full", 0, 29);
    const double d = 1.0 / 30.0, g = 9.8;
    int checked = 0;
    for (int f = 0; f < 29; ++f) {
        std::map<int, CachedSpark> next;
        for (const CachedSpark &s : readPlyCache(folder / "full" / "cache" / frameName(f + 1))) next[s.id] = s;
        for (const CachedSpark &s : readPlyCache(folder / "full" / "cache" / frameName(f))) {
            const auto later = next.find(s.id);
            if (later == next.end() || later->second.age <= s.age) continue; // parked, or a new flight
            SCOPED_TRACE("frame " + std::to_string(f) + " spark " + std::to_string(s.id));
            const double bound = 1e-12 * (1.0 + std::fabs(s.x) + std::fabs(s.y) + std::fabs(s.z));
            EXPECT_NEAR(later->second.x - s.x, d * s.vx, bound);
            EXPECT_NEAR(later->second.y - s.y, d * s.vy - g * d * d / 2.0, bound);
            EXPECT_NEAR(later->second.z - s.z, d * s.vz, bound);
            ++checked;
        }
    }
    EXPECT_GT(checked, 200);
}

} // namespace
} // namespace plix::testing
