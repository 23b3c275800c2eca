// A render farm splits a scene into frame ranges: every frame must come out
// the same, played alone, in a split range or in the full run.
#include <gtest/gtest.h>

#include "app/frame_range.h"
#include "play_helpers.h"

namespace plix::testing {
namespace {

// Short lives and a fast birth rate with recycling, on a moving, turning
// object: sparks are born, die and are reborn within a few frames.
constexpr const char *busyScene =
    "frames 0 29\n"
    "object Spinner\n  points 30\n  motion smooth\n"
    "  position 0 0 0 0\n  position 15 2 1 0\n  position 29 0 3 -2\n"
    "  rotation 0 0 0 0\n  rotation 29 270 -40 15\n"
    "  effect\n"
    "  | PLIX_START\n  | V0Min 1.5\n  | V0Max 4\n  | AgeMin 2\n  | AgeMax 6\n  | Birth 450\n"
    "  | ReCycle 1\n  | SpreadMax 120\n  | PLIX_END\n";

std::filesystem::path playRange(const TempFolder &folder, const std::filesystem::path &scene, int first, int last) {
    const auto out = folder / ("range-" + std::to_string(first) + "-" + std::to_string(last));
    sandbox::PlayOptions options;
    options.scene = scene;
    options.frames = sandbox::FrameRange{first, last};
    options.out = out;
    options.cache = cache::CacheFormat::ply;
    options.preview = sandbox::PreviewKind::none;
    const CommandResult result = play(options);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return out;
}

TEST(FarmSplit, AnyFrameIsTheSameAloneInASliceOrInTheFullRun) {
    TempFolder folder;
    const auto scene = folder.write("busy.scene", busyScene);
    const auto full = playRange(folder, scene, 0, 29);
    std::vector<std::filesystem::path> parts;
    for (const auto &[first, last] : {std::pair{0, 9}, {10, 19}, {20, 29}, {17, 17}, {5, 5}, {23, 26}})
        parts.push_back(playRange(folder, scene, first, last));

    int compared = 0, inFlight = 0, parked = 0;
    for (const auto &part : parts)
        for (const auto &entry : std::filesystem::directory_iterator(part / "cache")) {
            const auto expected = readPlyCache(full / "cache" / entry.path().filename());
            const auto actual = readPlyCache(entry.path());
            ASSERT_EQ(actual.size(), 30u);
            ASSERT_EQ(actual.size(), expected.size());
            for (std::size_t i = 0; i < actual.size(); ++i) {
                SCOPED_TRACE(entry.path().string() + " spark " + std::to_string(i));
                EXPECT_EQ(actual[i].index, static_cast<int>(i));
                EXPECT_EQ(actual[i].x, expected[i].x);
                EXPECT_EQ(actual[i].y, expected[i].y);
                EXPECT_EQ(actual[i].z, expected[i].z);
                EXPECT_EQ(actual[i].parked, expected[i].parked);
                if (!actual[i].parked) {
                    EXPECT_EQ(actual[i].age, expected[i].age);
                }
                (actual[i].parked ? parked : inFlight)++;
            }
            ++compared;
        }
    EXPECT_EQ(compared, 10 + 10 + 10 + 1 + 1 + 4);
    EXPECT_GT(inFlight, 100);
    EXPECT_GT(parked, 100);
}

} // namespace
} // namespace plix::testing
