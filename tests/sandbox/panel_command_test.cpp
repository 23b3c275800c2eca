// `plix-sandbox panel`: the twelve controls as the module describes them,
// edits entered through the set callback, and the scene saved with the new
// block while every other block stays as it was.
#include <gtest/gtest.h>

#include "play_helpers.h"
#include "scene/scene_reader.h"

namespace plix::testing {
namespace {

constexpr const char *twoObjects =
    "object First\n  points 20\n  effect\n"
    "  | PLIX_START\n  | V0Min 1.000000\n  | V0Max 4.000000\n  | Birth 60.000000\n  | PLIX_END\n"
    "object Second\n  points 5\n  effect\n  | PLIX_START\n  | Gravity 2.5 trailing words kept\n  | PLIX_END\n"
    "  effect\n  | PLIX_START\n  | AgeMax 33\n  | PLIX_END\n"
    "object Bare\n  points 3\n";

std::vector<std::string> blockOf(const std::filesystem::path &file, const std::string &object, std::size_t effect) {
    const scene::Scene scene = scene::readSceneFile(file);
    return scene.findObject(object)->effects.at(effect).lines;
}

TEST(PanelCommand, ListsTheTwelveControlsWithTheirShownValues) {
    TempFolder folder;
    sandbox::PanelOptions options;
    options.scene = folder.write("two.scene", twoObjects);
    options.object = "Second";
    options.effect = 2;
    const CommandResult result = panel(options);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char *row : {"vmin  v0 min         float     1", "vmax  v0 max         float     4",
                            "spmn  Spread min     iSlider   0", "spmx  Spread max     iSlider   180",
                            "agmn  Age min        integer   10", "agmx  Age max        integer   33",
                            "grav  Gravity        float     9.8", "recy  Recycle?       iBoolean  1 (on)",
                            "rate  BirthRate p/s  integer   60", "sprk  Spark_frame    integer   0",
                            "avoi  Avoid_Pos      float3    -100, -100, 0", "lkag  LinkAge        iBoolean  (none)"})
        EXPECT_NE(result.out.find(row), std::string::npos) << row << "\n" << result.out;
}

TEST(PanelCommand, EditsGoThroughTheSetCallbackIntoTheSavedBlock) {
    TempFolder folder;
    const auto sceneFile = folder.write("two.scene", twoObjects);
    sandbox::PanelOptions options;
    options.scene = sceneFile;
    options.sets = {"vmin=5", "avoi=1,2.5,-3", "recy=off", "BirthRate p/s=120", "agmn=-4", "lkag=1"};
    options.save = folder / "edited.scene";
    const CommandResult result = panel(options);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // The stored pair is 5 and 4; the panel shows it sorted.
    EXPECT_NE(result.out.find("vmin  v0 min         float     4\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("vmax  v0 max         float     5\n"), std::string::npos) << result.out;

    EXPECT_EQ(blockOf(*options.save, "First", 0),
              (std::vector<std::string>{"PLIX_START", "V0Min 5.000000", "V0Max 4.000000", "AgeMin -4.000000",
                                        "AgeMax 60.000000", "Gravity 9.800000", "Regist 0.000000", "START_F 0.000000",
                                        "Birth 120.000000", "ReCycle 0.000000", "SpreadMin 0.000000",
                                        "SpreadMax 180.000000", "AvoidX 1.000000", "AvoidY 2.500000",
                                        "AvoidZ -3.000000", "PLIX_END"}));
    // The other blocks are kept verbatim, the scene file itself untouched.
    EXPECT_EQ(blockOf(*options.save, "Second", 0), blockOf(sceneFile, "Second", 0));
    EXPECT_EQ(blockOf(*options.save, "Second", 1), blockOf(sceneFile, "Second", 1));
    EXPECT_EQ(readWholeFile(sceneFile), twoObjects);
}

TEST(PanelCommand, AnObjectWithoutAnEffectGetsOneWithDefaults) {
    TempFolder folder;
    sandbox::PanelOptions options;
    options.scene = folder.write("two.scene", twoObjects);
    options.object = "Bare";
    options.sets = {"sprk=12"};
    options.save = options.scene;
    const CommandResult result = panel(options);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto block = blockOf(options.scene, "Bare", 0);
    ASSERT_EQ(block.size(), 16u);
    EXPECT_EQ(block[7], "START_F 12.000000");
    EXPECT_EQ(block[1], "V0Min 1.000000");
}

struct BadEdit {
    std::vector<std::string> sets;
    const char *object;
    int effect;
    const char *says;
    int exitCode = 2; // an edit the panel cannot take is a wrong command line
};

void PrintTo(const BadEdit &bad, std::ostream *out) { *out << bad.says; }

class PanelCommandErrors : public ::testing::TestWithParam<BadEdit> {};

TEST_P(PanelCommandErrors, StopWithAReasonAndSaveNothing) {
    const BadEdit &bad = GetParam();
    TempFolder folder;
    sandbox::PanelOptions options;
    options.scene = folder.write("two.scene", twoObjects);
    options.sets = bad.sets;
    if (bad.object) options.object = bad.object;
    options.effect = bad.effect;
    options.save = folder / "out.scene";
    const CommandResult result = panel(options);
    EXPECT_EQ(result.exitCode, bad.exitCode);
    EXPECT_NE(result.err.find(bad.says), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(*options.save));
}

INSTANTIATE_TEST_SUITE_P(
    EachMistake, PanelCommandErrors,
    ::testing::Values(BadEdit{{"speed=3"}, nullptr, 1, "no control 'speed' (its controls: vmin, vmax, spmn"},
                      BadEdit{{"vmin"}, nullptr, 1, "--set takes ID=VALUE"},
                      BadEdit{{"vmin=fast"}, nullptr, 1, "'vmin' (v0 min) takes a finite number; got 'fast'"},
                      BadEdit{{"vmin=1e400"}, nullptr, 1, "takes a finite number; got '1e400'"},
                      BadEdit{{"rate=99999999999"}, nullptr, 1,
                              "takes a whole number from -2147483648 to 2147483647; got '99999999999'"},
                      BadEdit{{"rate=1.5"}, nullptr, 1, "takes a whole number"},
                      BadEdit{{"recy=maybe"}, nullptr, 1, "takes on, off or a whole number"},
                      BadEdit{{"avoi=1,2"}, nullptr, 1, "three finite numbers separated by commas"},
                      BadEdit{{"grav=1", "spmx=x"}, nullptr, 1, "'spmx'"},
                      BadEdit{{}, "Nobody", 1, "no object 'Nobody'", 1},
                      BadEdit{{}, "First", 2, "has 1 effect(s); there is no effect 2", 1}));

} // namespace
} // namespace plix::testing
