// plix-sandbox used carelessly and with hostile input, as a user runs it: the
// built program as a child process. Each case checks the exit code, what
// stderr says (and that it says it in printable text), and what is left in
// the output folder.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "plix/platform/child_process.h"
#include "temp_folder.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using plix::testing::TempFolder;

// A folder of inputs, made fresh for every case; the case runs in it.
struct Inputs {
    const TempFolder &folder;

    fs::path write(const std::string &name, std::string_view content) const {
        fs::create_directories((folder / name).parent_path());
        return folder.write(name, content);
    }
    fs::path moduleCutAt(const std::string &name, std::size_t size) const {
        std::ifstream in(PLIX_MODULE_PATH, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        bytes.resize(std::min(size, bytes.size()));
        return write(name, bytes);
    }
    void folderAt(const std::string &name) const { fs::create_directories(folder / name); }
};

const std::string oneObject = "frames 0 2\nobject A\n  points 4\n  effect\n";
const std::string ring = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

struct Mistake {
    const char *name;
    std::function<void(const Inputs &)> prepare;
    std::vector<std::string> arguments;
    int exitCode;
    std::vector<std::string> says;   // each must appear on stderr
    std::vector<std::string> leaves; // files in the case's folder afterwards ("!name": must not exist)
};

void PrintTo(const Mistake &m, std::ostream *os) { *os << m.name; }

void nothing(const Inputs &) {}

#ifdef PLIX_HAVE_STUDIO
constexpr bool studioBuilt = true;
#else
constexpr bool studioBuilt = false;
#endif

std::vector<Mistake> mistakes() {
    const std::vector<std::string> quiet = {"--preview", "none", "--no-progress", "--out", "out"};
    auto play = [&](std::vector<std::string> args) {
        std::vector<std::string> all{"play"};
        all.insert(all.end(), args.begin(), args.end());
        all.insert(all.end(), quiet.begin(), quiet.end());
        return all;
    };
    auto scene = [](std::string text) { return [text](const Inputs &in) { in.write("s.scene", text); }; };
    return {
        // ---- module files -------------------------------------------------
        {"module named without a folder is the file here",
         [](const Inputs &in) { in.moduleCutAt("good.p", SIZE_MAX); }, play({"--module", "good.p"}), 0, {},
         {"out/default.scene"}},
        {"cut module file", [](const Inputs &in) { in.moduleCutAt("cut.p", 5000); }, play({"--module", "./cut.p"}), 1,
         {"cannot load the module ./cut.p: the file is cut short: it has 5000 bytes"}, {"!out"}},
        {"cut module file in panel",
         [](const Inputs &in) {
             in.moduleCutAt("cut.p", 5000);
             in.write("s.scene", oneObject);
         },
         {"panel", "s.scene", "--module", "cut.p"}, 1, {"cannot load the module cut.p: the file is cut short"}, {}},
        {"module file of a few bytes", [](const Inputs &in) { in.moduleCutAt("tiny.p", 5); },
         play({"--module", "tiny.p"}), 1, {"the file is too short to be a module file (5 bytes)"}, {"!out"}},
        {"empty module file", [](const Inputs &in) { in.write("empty.p", ""); }, play({"--module", "empty.p"}), 1,
         {"the file is empty, not a module file"}, {"!out"}},
        {"text as module", [](const Inputs &in) { in.write("text.p", "PLIX_START\nPLIX_END\n"); },
         play({"--module", "text.p"}), 1, {"the file is not a module file (not an ELF shared object)"}, {"!out"}},
        {"folder as module", [](const Inputs &in) { in.folderAt("mod.p"); }, play({"--module", "mod.p"}), 1,
         {"the file is a folder, not a module file"}, {"!out"}},
        {"device as module", nothing, play({"--module", "/dev/zero"}), 1, {"the file is not a regular file"}, {"!out"}},
        {"missing module", nothing, play({"--module", "missing.p"}), 1,
         {"cannot load the module missing.p: the file does not exist"}, {"!out"}},
        {"missing module in validate", nothing, {"validate", "missing.p"}, 1, {"the file does not exist"}, {}},
        {"folder as module in validate", [](const Inputs &in) { in.folderAt("mod.p"); }, {"validate", "mod.p"}, 1,
         {"the file is a folder, not a module file"}, {}},
#ifndef _WIN32
        {"shared object that is no module", nothing, play({"--module", "/lib/x86_64-linux-gnu/libm.so.6"}), 1,
         {"libm.so.6: it exports no _mod_descrip\n"}, {"!out"}},
#endif
        // ---- scene files ----------------------------------------------------
        {"missing scene", nothing, play({"missing.scene"}), 1, {"missing.scene: cannot open the scene file: it does not exist"},
         {"!out"}},
        {"folder as scene", [](const Inputs &in) { in.folderAt("dir.scene"); }, play({"dir.scene"}), 1,
         {"dir.scene: is a folder, not a scene file"}, {"!out"}},
        {"endless device as scene", nothing, play({"/dev/zero"}), 1,
         {"/dev/zero:1: line longer than 65536 bytes"}, {"!out"}},
        {"long comment line", scene("# " + std::string(70000, 'x') + "\n" + oneObject), play({"s.scene"}), 1,
         {"s.scene:1: line longer than 65536 bytes"}, {"!out"}},
        {"binary bytes are shown escaped", scene("\x01\x1b[31m\xff bad\n"), play({"s.scene"}), 1,
         {"s.scene:1: unknown keyword '\\x01\\x1B[31m\\xFF'"}, {"!out"}},
        {"mesh that is a folder", [](const Inputs &in) { in.folderAt("m.obj"); in.write("s.scene", "object A\n  mesh m.obj\n"); },
         play({"s.scene"}), 1, {"s.scene:2: cannot take the points of mesh 'm.obj'", "it is a folder, not an OBJ file"}, {"!out"}},
        {"mesh that is a device", scene("object A\n  mesh /dev/null\n"), play({"s.scene"}), 1,
         {"it is not a regular file (a device, pipe or socket), not an OBJ file"}, {"!out"}},
        {"mesh path with a space, quoted",
         [](const Inputs &in) {
             in.write("sp ace/u/meshes/ring.obj", ring);
             in.write("sp ace/u/s.scene", "frames 0 1\nobject R\n  mesh \"meshes/ring.obj\"\n  effect\n");
         },
         play({"sp ace/u/s.scene"}), 0, {}, {"out/s.scene"}},
        {"empty object name", scene("frames 0 1\nobject \"\"\n  points 2\n  effect\n"), play({"s.scene"}), 1,
         {"s.scene:2: expected 'object NAME' with a name of letters, digits, '_', '-' and '.', not ''"}, {"!out"}},
        {"object named '..'", scene("frames 0 1\nobject ..\n  points 2\n  effect\n"), play({"s.scene"}), 1,
         {"s.scene:2: expected 'object NAME'", "not '..'"}, {"!out"}},
        {"unterminated quote", scene("object A\n  mesh \"ring.obj\n"), play({"s.scene"}), 1,
         {"s.scene:2: a quoted word without its closing '\"'"}, {"!out"}},
        {"infinite setting", scene(oneObject + "  | PLIX_START\n  | V0Min 1e999\n  | PLIX_END\n"), play({"s.scene"}), 1,
         {"s.scene:6: the effect would read V0Min as infinite (1e999"}, {"!out"}},
        {"infinite setting taken by a line without value",
         scene(oneObject + "  | PLIX_START\n  | Birth 1e999\n  | Gravity\n  | PLIX_END\n"), play({"s.scene"}), 1,
         {"s.scene:7: 'Gravity' has no value of its own: the effect would give Gravity the infinite value of line 6"},
         {"!out"}},
        {"rate too small", scene("fps 1e-308\n" + oneObject), play({"s.scene"}), 1,
         {"s.scene:1: expected 'fps RATE' with a rate above 0", "the least is 0.001"}, {"!out"}},
        // Longer runs would fill the memory with what they keep per frame.
        {"frames beyond a run", scene("# all of them\nframes -2147483648 2147483647\nobject A\n  points 4\n  effect\n"),
         play({"s.scene", "--cache", "ply"}), 1,
         {"s.scene:2: the scene's frames are 4,294,967,296 frames (-2147483648 to 2147483647); one run plays at most "
          "1,000,000: play the animation in slices with --frames A-B"},
         {"!out"}},
        {"--frames beyond a run", nothing, play({"--frames", "-10-999990"}), 1,
         {"--frames asks for 1,000,001 frames (-10 to 999990); one run plays at most 1,000,000"}, {"!out"}},
        {"studio of frames beyond its timeline", scene("frames 0 1000000\nobject A\n  points 4\n  effect\n"),
         {"studio", "s.scene"}, studioBuilt ? 1 : 2,
         {studioBuilt ? "s.scene:1: the scene's frames are 1,000,001 frames (0 to 1000000); the studio's timeline "
                        "holds at most 1,000,000"
                      : "studio"},
         {}},
        // ---- notes: the play goes on ------------------------------------------
        {"lines the effect ignores or reads as 0",
         scene(oneObject + "  | PLIX_START\n  | v0min 2\n  | V0Min=2\n  | V0Min\t2\n  | V0Min two\n  | AvoidY inf\n"
                           "  | AgeM 7\n  | SpreadMin 1,5\n  | Birth 59.99\n  | PLIX_END\n  | V0Max 3\n"),
         play({"s.scene"}), 0,
         {"s.scene:6: note: the effect ignores 'v0min 2': no setting is named 'v0min' (names are case-sensitive: V0Min)",
          "s.scene:7: note: the effect ignores 'V0Min=2': write 'V0Min VALUE'",
          "s.scene:8: note: the effect ignores 'V0Min\\x092': a tab does not separate a keyword from its value",
          "s.scene:9: note: the effect reads the value 'two' as 0: it does not begin with a number, so V0Min becomes 0",
          "s.scene:10: note: the effect reads the value 'inf' as 0", "s.scene:11: note: the effect reads 'AgeM' as AgeMin",
          "s.scene:12: note: the effect reads '1,5' as 1: the number ends before ','",
          "s.scene:13: note: Birth takes whole numbers: the effect reads 59.99 as 59",
          "s.scene:15: note: the effect stops reading at the block's end (PLIX_END on line 14)"},
         {"out/s.scene"}},
        {"rate other than 30", scene("fps 60\nframes 0 10\nobject A\n  points 100\n  effect\n"), play({"s.scene"}), 0,
         {"s.scene:1: note: the effect counts 30 frames per second whatever the scene's rate (fps 60)",
          "no spark is in flight after about frame 120 (2.0 s)"},
         {"out/s.scene"}},
        {"drifting emission", scene("frames 0 1\nobject A\n  points 25\n  effect\n"), play({"s.scene"}), 0,
         {"s.scene:4: note: on object 'A': 30 x 25 points / Birth 60 = 12.5 frames is not a whole number",
          "no spark is born after about frame 2"},
         {"out/s.scene"}},
        // ---- command lines ----------------------------------------------------
        {"bad frame range", nothing, play({"--frames", "x"}), 2, {"--frames"}, {"!out"}},
        {"empty scene name", nothing, {"play", "", "--out", "out"}, 2, {"an empty value names nothing"}, {"!out"}},
        {"empty --frames", nothing, play({"--frames", ""}), 2, {"--frames: an empty value names nothing"}, {"!out"}},
        {"empty --out", nothing, {"play", "--out", ""}, 2, {"--out: an empty value names nothing"}, {"!plix-out"}},
        {"empty --json", nothing, play({"--json", ""}), 2, {"--json: an empty value names nothing"}, {"!out"}},
        {"--json followed by an option", nothing, {"play", "--json", "--no-progress", "--out", "out"}, 2,
         {"'--no-progress' is an option, not a value"}, {"!out", "!--no-progress"}},
        {"empty --save", scene(oneObject), {"panel", "s.scene", "--save", ""}, 2, {"an empty value names nothing"}, {}},
        {"--frames past the scene's end", scene(oneObject), play({"s.scene", "--frames", "1-4"}), 0,
         {"note: --frames 1-4 reaches beyond the scene's frames (0-2)"}, {"out/s.scene"}},
        {"--json inside the output folder it makes", scene(oneObject), play({"s.scene", "--json", "out/sum.json"}), 0,
         {}, {"out/sum.json"}},
        {"scene with a byte-order mark", scene("\xEF\xBB\xBF" + oneObject), play({"s.scene"}), 0, {}, {"out/s.scene"}},
        {"unknown option", nothing, play({"--bogus"}), 2, {"--bogus"}, {"!out"}},
        {"panel without scene", nothing, {"panel"}, 2, {"SCENE"}, {}},
        {"binary --set value", scene(oneObject), {"panel", "s.scene", "--set", "vmin=\x07\xfe"}, 2,
         {"got '\\x07\\xFE'"}, {}},
        {"output folder is a file", [](const Inputs &in) { in.write("out", "a file"); }, play({}), 1, {"the output folder out"}, {}},
    };
}

class CommandMistakes : public ::testing::TestWithParam<Mistake> {};

TEST_P(CommandMistakes, ExitCodeMessageAndFilesLeft) {
    const Mistake &m = GetParam();
    TempFolder folder;
    m.prepare(Inputs{folder});
    // Relative paths are the user's: the child runs in the case's folder.
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    plix::platform::ChildOptions options;
    options.timeout = std::chrono::seconds(120);
    const plix::platform::ChildResult run = plix::platform::runChild(PLIX_SANDBOX_PROGRAM, m.arguments, options);
    fs::current_path(before);

    ASSERT_EQ(run.outcome, plix::platform::ChildOutcome::Exited) << run.err;
    EXPECT_EQ(run.exitCode, m.exitCode) << run.err;
    for (const std::string &text : m.says) EXPECT_NE(run.err.find(text), std::string::npos) << text << "\n" << run.err;
    EXPECT_EQ(run.err.find("filesystem error"), std::string::npos) << run.err;
    for (const char c : run.err) // printable text and line breaks only
        ASSERT_TRUE(c == '\n' || (c >= 0x20 && c != 0x7F) || (static_cast<unsigned char>(c) >= 0x80)) << run.err;
    for (const std::string &file : m.leaves) {
        if (file.front() == '!')
            EXPECT_FALSE(fs::exists(folder / file.substr(1))) << file;
        else
            EXPECT_TRUE(fs::exists(folder / file)) << file << "\n" << run.err;
    }
    if (m.exitCode != 0 && fs::is_directory(folder / "out")) {
        for (const auto &entry : fs::recursive_directory_iterator(folder / "out"))
            ADD_FAILURE() << "a failed run left " << entry.path();
    }
}

INSTANTIATE_TEST_SUITE_P(EachCase, CommandMistakes, ::testing::ValuesIn(mistakes()),
                         [](const ::testing::TestParamInfo<Mistake> &info) {
                             std::string name;
                             for (const char c : std::string(info.param.name))
                                 name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
                             return name;
                         });

TEST(CommandMistakes, ASceneSavedFromAFolderWithASpaceIsReadBack) {
    TempFolder folder;
    Inputs in{folder};
    in.write("sp ace/u/meshes/ring.obj", ring);
    in.write("sp ace/u/s.scene", "frames 0 1\nobject R\n  mesh meshes/ring.obj\n  effect\n");
    const fs::path out = folder / "out";
    const auto first = plix::platform::runChild(
        PLIX_SANDBOX_PROGRAM, {"play", (folder / "sp ace/u/s.scene").string(), "--out", out.string(), "--preview",
                               "none", "--no-progress"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::string saved = plix::testing::readWholeFile(out / "s.scene");
    EXPECT_NE(saved.find("mesh \"../sp ace/u/meshes/ring.obj\""), std::string::npos) << saved;
    const auto again = plix::platform::runChild(
        PLIX_SANDBOX_PROGRAM, {"play", (out / "s.scene").string(), "--out", (folder / "again").string(), "--preview",
                               "none", "--no-progress"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
}

#ifndef _WIN32
TEST(CommandMistakes, AnUnreadableSceneGivesTheReason) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    TempFolder folder;
    const fs::path scene = folder.write("locked.scene", oneObject);
    fs::permissions(scene, fs::perms::none);
    const auto run = plix::platform::runChild(PLIX_SANDBOX_PROGRAM, {"play", scene.string(), "--preview", "none"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot open the scene file: Permission denied"), std::string::npos) << run.err;
}
#endif

} // namespace
