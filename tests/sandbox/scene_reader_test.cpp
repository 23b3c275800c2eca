// Scene files: what a good file gives, and where each mistake is reported.
#include <gtest/gtest.h>

#include "scene/scene_reader.h"
#include "scene/scene_file_writer.h"
#include "temp_folder.h"

namespace plix::scene {
namespace {

using plix::testing::TempFolder;

constexpr const char *tetrahedron = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 2 4\nf 1 3 4\nf 2 3 4\n";

TEST(SceneReader, ReadsEveryPartOfAGoodFile) {
    TempFolder folder;
    folder.write("tetra.obj", tetrahedron);
    const auto file = folder.write("good.scene",
                                   "# two emitters\r\n"
                                   "fps 25\r\n"
                                   "frames -5 40   # comment after values\n"
                                   "\n"
                                   "object Left\n"
                                   "  points 1200\n"
                                   "  motion smooth\n"
                                   "  position 20 1 2 3\n"
                                   "  position 0 0 0 0\n"
                                   "  rotation 10 90 0 0\n"
                                   "  effect\n"
                                   "  | PLIX_START\n"
                                   "  |  leading space kept # and hash kept\n"
                                   "  |\n"
                                   "  | PLIX_END\n"
                                   "  effect\n"
                                   "object Right\n"
                                   "  mesh tetra.obj\n");
    const Scene scene = readSceneFile(file);

    EXPECT_EQ(scene.fps, 25.0);
    EXPECT_EQ(scene.firstFrame, -5);
    EXPECT_EQ(scene.lastFrame, 40);
    ASSERT_EQ(scene.objects.size(), 2u);

    const SceneObject &left = scene.objects[0];
    EXPECT_EQ(left.name, "Left");
    EXPECT_EQ(left.pointCount, 1200);
    EXPECT_EQ(left.motion.interpolation, Interpolation::smooth);
    ASSERT_EQ(left.motion.positionKeys.size(), 2u);
    EXPECT_EQ(left.motion.positionKeys[0].frame, 0.0) << "keys are sorted by frame";
    EXPECT_EQ(left.motion.positionKeys[1].value, (geometry::Vec3{1, 2, 3}));
    ASSERT_EQ(left.effects.size(), 2u);
    EXPECT_EQ(left.effects[0].lines,
              (std::vector<std::string>{"PLIX_START", " leading space kept # and hash kept", "", "PLIX_END"}));
    EXPECT_EQ(left.effects[0].sourceLine, 11);
    EXPECT_TRUE(left.effects[1].lines.empty());

    const SceneObject &right = scene.objects[1];
    EXPECT_EQ(right.pointCount, 4) << "a mesh gives its vertex count";
    EXPECT_EQ(right.meshPath, folder / "tetra.obj");
    EXPECT_TRUE(right.motion.positionKeys.empty());
    EXPECT_EQ(scene.effectCount(), 2u);
}

TEST(SceneReader, DefaultsWhenTheSceneSaysNothing) {
    const Scene scene = readSceneText("object Solo\npoints 0\n", "mini", ".");
    EXPECT_EQ(scene.fps, 30.0);
    EXPECT_EQ(scene.firstFrame, 0);
    EXPECT_EQ(scene.lastFrame, 89);
    EXPECT_EQ(scene.objects.at(0).pointCount, 0);
    EXPECT_EQ(scene.objects.at(0).motion.interpolation, Interpolation::linear);
}

struct BadScene {
    const char *text;
    int line;
    const char *says;
};

void PrintTo(const BadScene &bad, std::ostream *out) { *out << "line " << bad.line << ": " << bad.says; }

class SceneReaderErrors : public ::testing::TestWithParam<BadScene> {};

TEST_P(SceneReaderErrors, NameFileLineAndWhatWasExpected) {
    const BadScene &bad = GetParam();
    try {
        readSceneText(bad.text, "bad.scene", ".");
        FAIL() << "accepted: " << bad.text;
    } catch (const SceneError &error) {
        EXPECT_EQ(error.file(), "bad.scene");
        EXPECT_EQ(error.line(), bad.line) << error.what();
        EXPECT_NE(std::string(error.what()).find(bad.says), std::string::npos) << error.what();
        if (bad.line > 0) {
            EXPECT_EQ(std::string(error.what()).rfind("bad.scene:" + std::to_string(bad.line) + ": ", 0), 0u);
        }
    }
}

const std::string tooLongLine = "object A\npoints 1\n# " + std::string(65535, 'x') + "\n";
const std::string longLine = "object A\npoints 1\neffect\n| " + std::string(256, 'x') + "\n";

INSTANTIATE_TEST_SUITE_P(
    EachMistake, SceneReaderErrors,
    ::testing::Values(
        BadScene{"", 0, "no object"},
        BadScene{"# only a comment\nfps 30\n", 0, "no object"},
        BadScene{"fps 0\nobject A\npoints 1\n", 1, "'fps RATE' with a rate above 0"},
        BadScene{"fps fast\n", 1, "'fps RATE'"},
        BadScene{"frames 10 5\n", 1, "first frame (10) is after the last (5)"},
        BadScene{"frames 1.5 9\n", 1, "'frames FIRST LAST'"},
        BadScene{"frames 0\n", 1, "'frames FIRST LAST'"},
        BadScene{"object A\npoints 1\nfps 30\n", 3, "before the first object"},
        BadScene{"points 5\n", 1, "write 'object NAME' before it"},
        BadScene{"object\n", 1, "'object NAME'"},
        BadScene{"object Two words\n", 1, "'object NAME'"},
        BadScene{"object a,b\n", 1, "only letters, digits"},
        BadScene{"object A\npoints 1\nobject A\npoints 2\n", 3, "already defined on line 1"},
        BadScene{"object A\n\nposition 0 0 0 0\n", 1, "needs 'points COUNT' or 'mesh FILE'"},
        BadScene{"object A\npoints 1\nobject B\n", 3, "object 'B' needs"},
        BadScene{"object A\npoints -1\n", 2, "'points COUNT'"},
        BadScene{"object A\npoints 3000000000\n", 2, "'points COUNT'"},
        BadScene{"object A\npoints 4\npoints 5\n", 3, "already has its points from line 2"},
        BadScene{"object A\nmesh missing.obj\n", 2, "cannot take the points of mesh 'missing.obj'"},
        BadScene{"object A\npoints 1\nmotion bouncy\n", 3, "'motion linear' or 'motion smooth'"},
        BadScene{"object A\npoints 1\nposition 0 1 2\n", 3, "'position FRAME X Y Z'"},
        BadScene{"object A\npoints 1\nrotation 0 1 2 x\n", 3, "'rotation FRAME HEADING PITCH BANK'"},
        BadScene{"object A\npoints 1\nposition 0 1 2 nan\n", 3, "'position FRAME X Y Z'"},
        BadScene{"object A\npoints 1\nrotation 5 0 0 0\n\nrotation 5 1 1 1\n", 5, "first is on line 3"},
        BadScene{"object A\npoints 1\n| PLIX_START\n", 3, "outside an effect"},
        BadScene{"object A\npoints 1\neffect now\n", 3, "'effect' alone"},
        BadScene{longLine.c_str(), 4, "at most 255"},
        BadScene{"object A\npoints 1\nspeed 3\n", 3, "unknown keyword 'speed'"},
        BadScene{"fps 0.0009\nobject A\npoints 1\n", 1, "the least is 0.001"},
        BadScene{"object A\nmesh a b.obj\n", 2, "in double quotes when it holds spaces"},
        BadScene{"object A\nmesh \"a b.obj\n", 2, "without its closing"},
        BadScene{"object A\nmesh \"a\"b.obj\n", 2, "a space is needed after the closing"},
        BadScene{"object A\nmesh \"missing dir/m.obj\"\n", 2, "mesh 'missing dir/m.obj'"},
        BadScene{"\n\n# note\n", 0, "no object"},
        BadScene{tooLongLine.c_str(), 3, "line longer than 65536 bytes"},
        BadScene{"object A\npoints 1\neffect\n| PLIX_START\n| AvoidZ -1e400\n", 5, "AvoidZ as infinite"},
        BadScene{"object A\npoints 1\neffect\n| PLIX_START\n| V0Max 1e400\neffect\n", 5, "V0Max as infinite"},
        BadScene{"object A\npoints 1\nobject B\npoints 1\neffect\n| PLIX_START\n| Gravity 1e999\n", 7,
                 "Gravity as infinite"}));

TEST(SceneReader, MissingFileIsNamed) {
    try {
        readSceneFile("/nonexistent/where.scene");
        FAIL();
    } catch (const SceneError &error) {
        EXPECT_EQ(std::string(error.what()), "/nonexistent/where.scene: cannot open the scene file: it does not exist");
    }
}

TEST(SceneWriter, SceneReadBackIsTheSame) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "meshes");
    std::filesystem::create_directories(folder / "out");
    folder.write("meshes/tetra.obj", tetrahedron);
    const auto file = folder.write("in.scene",
                                   "fps 24\nframes 3 7\n"
                                   "object Fountain\nmesh meshes/tetra.obj\nmotion smooth\n"
                                   "position 0 0.1 -2.5e-7 1e300\nrotation 12.5 359.9 -45 0.3333333333333333\n"
                                   "effect\n|  spaced\n|\n| PLIX_END\n"
                                   "object Still\npoints 7\n");
    const Scene original = readSceneFile(file);
    const std::string text = writeSceneText(original, folder / "out");
    const auto saved = folder.write("out/saved.scene", text);
    const Scene again = readSceneFile(saved);

    ASSERT_EQ(again.objects.size(), 2u);
    EXPECT_EQ(again.fps, 24.0);
    EXPECT_EQ(again.firstFrame, 3);
    EXPECT_EQ(again.lastFrame, 7);
    const SceneObject &a = original.objects[0], &b = again.objects[0];
    EXPECT_EQ(b.pointCount, 4) << "the mesh path was rewritten for the new folder";
    EXPECT_EQ(std::filesystem::weakly_canonical(b.meshPath), std::filesystem::weakly_canonical(a.meshPath));
    EXPECT_EQ(b.motion.interpolation, Interpolation::smooth);
    EXPECT_EQ(b.motion.positionKeys[0].value, a.motion.positionKeys[0].value) << "numbers come back exactly";
    EXPECT_EQ(b.motion.rotationKeys[0].value, a.motion.rotationKeys[0].value);
    EXPECT_EQ(b.motion.rotationKeys[0].frame, 12.5);
    EXPECT_EQ(b.effects.at(0).lines, a.effects.at(0).lines);
    EXPECT_EQ(again.objects[1].pointCount, 7);
    EXPECT_EQ(writeSceneText(again, folder / "out"), text) << "writing is stable";
}

} // namespace
} // namespace plix::scene
