// What plix-sandbox writes over, run as a user runs it (the built program as
// a child process): every command that writes a file, against every kind of
// thing that can stand at the file's name. The program creates or replaces
// only regular files, writes through a link to the file it names, keeps a
// replaced file's permissions and hard links, and leaves a read-only file
// alone unless play is given --force. What a command reads is never what it
// writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "plix/platform/child_process.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using plix::testing::readWholeFile;
using plix::testing::TempFolder;

const std::string oneObject = "frames 0 2\nobject A\n  points 4\n  effect\n";

// A command that writes the file F, with the inputs it reads prepared.
struct Writer {
    const char *name;
    std::vector<std::string> (*arguments)(const std::string &target);
    bool takesForce; // --force lets it replace a read-only file
};

const Writer writers[] = {
    {"validate --json", [](const std::string &f) { return std::vector<std::string>{"validate", "mod.p", "--only", "exports", "--json", f}; }, false},
    {"panel --save", [](const std::string &f) { return std::vector<std::string>{"panel", "s.scene", "--module", "mod.p", "--save", f}; }, false},
    {"play --json", [](const std::string &f) {
         return std::vector<std::string>{"play", "s.scene", "--module", "mod.p", "--out", "out", "--preview", "none", "--no-progress", "--json", f};
     }, true},
};

void makeInputs(const TempFolder &folder) {
    fs::copy_file(PLIX_MODULE_PATH, folder / "mod.p");
    folder.write("s.scene", oneObject);
}

plix::platform::ChildResult runIn(const TempFolder &folder, const std::vector<std::string> &arguments) {
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    plix::platform::ChildOptions options;
    options.timeout = std::chrono::seconds(120);
    auto run = plix::platform::runChild(PLIX_SANDBOX_PROGRAM, arguments, options);
    fs::current_path(before);
    return run;
}

// ---- what stands at the name: nothing the program did not make as a file ----

struct SpecialFile {
    const char *name;
    bool (*make)(const fs::path &); // false: cannot be made here (skipped)
    const char *says;
    fs::file_type staysA;
};

const SpecialFile specialFiles[] = {
    {"pipe", [](const fs::path &p) { return ::mkfifo(p.c_str(), 0644) == 0; }, "a pipe (FIFO)",
     fs::file_type::fifo},
    {"character device", [](const fs::path &p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
     "a character device", fs::file_type::character},
    {"socket",
     [](const fs::path &p) {
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         if (p.string().size() >= sizeof address.sun_path) return false;
         std::strcpy(address.sun_path, p.c_str());
         const bool made = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
         ::close(fd);
         return made;
     },
     "a socket", fs::file_type::socket},
    {"folder", [](const fs::path &p) { return fs::create_directory(p); }, "a folder", fs::file_type::directory},
};

struct SpecialCase {
    const Writer *writer;
    const SpecialFile *file;
    bool throughLink;
};

void PrintTo(const SpecialCase &c, std::ostream *os) { *os << c.writer->name << " over a " << c.file->name; }

std::vector<SpecialCase> specialCases() {
    std::vector<SpecialCase> cases;
    for (const Writer &w : writers)
        for (const SpecialFile &f : specialFiles)
            for (const bool link : {false, true}) cases.push_back({&w, &f, link});
    return cases;
}

class SpecialFiles : public ::testing::TestWithParam<SpecialCase> {};

TEST_P(SpecialFiles, AreRefusedBeforeAnyWorkAndLeftAsTheyWere) {
    const SpecialCase &c = GetParam();
    TempFolder folder;
    makeInputs(folder);
    const fs::path special = folder / "special";
    if (!c.file->make(special)) GTEST_SKIP() << "cannot make a " << c.file->name << " here";
    const std::string target = c.throughLink ? "link" : "special";
    if (c.throughLink) fs::create_symlink("special", folder / "link");
    const auto run = runIn(folder, c.writer->arguments(target));
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    const std::string says = c.throughLink ? std::string("it is a symbolic link to ") + c.file->says
                                           : std::string(c.file->says) + " stands there";
    EXPECT_NE(run.err.find("cannot write " + target + ": " + says), std::string::npos) << run.err;
    EXPECT_EQ(fs::symlink_status(special).type(), c.file->staysA);
    if (c.throughLink) {
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link")));
    }
    EXPECT_FALSE(fs::exists(folder / "out" / "s.scene")) << "the play went ahead";
    for (const auto &entry : fs::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(EachCase, SpecialFiles, ::testing::ValuesIn(specialCases()),
                         [](const ::testing::TestParamInfo<SpecialCase> &info) {
                             std::string name = std::string(info.param.writer->name) + "_" + info.param.file->name +
                                                (info.param.throughLink ? "_through_a_link" : "");
                             for (char &ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// ---- links, permissions, hard links, read-only files -------------------------

class FilesWritten : public ::testing::TestWithParam<Writer> {};

TEST_P(FilesWritten, GoThroughALinkToItsFileAndKeepItsMode) {
    TempFolder folder;
    makeInputs(folder);
    fs::create_directory(folder / "kept");
    const fs::path file = folder.write("kept/private.txt", "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    fs::create_symlink("kept/private.txt", folder / "link");
    const auto run = runIn(folder, GetParam().arguments("link"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link")));
    EXPECT_NE(readWholeFile(file), "old");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_P(FilesWritten, KeepTheirHardLinks) {
    TempFolder folder;
    makeInputs(folder);
    const fs::path file = folder.write("report", "old");
    fs::create_hard_link(file, folder / "other-name");
    const auto run = runIn(folder, GetParam().arguments("report"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(readWholeFile(file), "old");
    EXPECT_EQ(readWholeFile(folder / "other-name"), readWholeFile(file));
    EXPECT_EQ(fs::hard_link_count(file), 2u);
}

TEST_P(FilesWritten, LeaveAReadOnlyFileUnlessForced) {
    TempFolder folder;
    makeInputs(folder);
    const fs::path file = folder.write("report", "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read, fs::perm_options::replace);
    const auto run = runIn(folder, GetParam().arguments("report"));
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("cannot write report: the file is read-only"), std::string::npos) << run.err;
    EXPECT_EQ(readWholeFile(file), "old");
    if (!GetParam().takesForce) return;
    std::vector<std::string> forced = GetParam().arguments("report");
    forced.push_back("--force");
    const auto again = runIn(folder, forced);
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(readWholeFile(file), "old");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::group_read);
}

TEST_P(FilesWritten, NeverGoThroughALinkToNothing) {
    TempFolder folder;
    makeInputs(folder);
    fs::create_symlink("missing/elsewhere", folder / "dangling");
    const auto run = runIn(folder, GetParam().arguments("dangling"));
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("cannot write dangling: it is a symbolic link to nothing that exists"), std::string::npos)
        << run.err;
}

INSTANTIATE_TEST_SUITE_P(EachCommand, FilesWritten, ::testing::ValuesIn(writers),
                         [](const ::testing::TestParamInfo<Writer> &info) {
                             std::string name = info.param.name;
                             for (char &ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// ---- what a command reads is not what it writes ------------------------------

struct Clash {
    const char *name;
    std::vector<std::string> arguments;
    const char *says;
    const char *untouched; // an input that must come out as it was
};

void PrintTo(const Clash &c, std::ostream *os) { *os << c.name; }

const Clash clashes[] = {
    {"validate's report over its module", {"validate", "mod.p", "--only", "exports", "--json", "mod.p"},
     "--json mod.p is the module mod.p", "mod.p"},
    {"validate's report over a link to its module", {"validate", "mod.p", "--only", "exports", "--json", "mod-link"},
     "--json mod-link is the module mod.p", "mod.p"},
    {"panel's save over the module", {"panel", "s.scene", "--module", "mod.p", "--save", "./mod.p"},
     "--save ./mod.p is the module mod.p", "mod.p"},
    {"panel's save over a mesh", {"panel", "m.scene", "--module", "mod.p", "--save", "ring.obj"},
     "--save ring.obj is the mesh of object 'R'", "ring.obj"},
    {"play's summary over its scene", {"play", "s.scene", "--module", "mod.p", "--out", "o", "--no-progress", "--json", "s.scene"},
     "--json s.scene is the scene s.scene", "s.scene"},
    {"play's summary over its module", {"play", "s.scene", "--module", "mod.p", "--out", "o", "--no-progress", "--json", "./mod.p"},
     "--json ./mod.p is the module mod.p", "mod.p"},
    {"play's summary over its mesh", {"play", "m.scene", "--module", "mod.p", "--out", "o", "--no-progress", "--json", "ring.obj"},
     "--json ring.obj is the mesh of object 'R'", "ring.obj"},
    {"play's summary over its own contact sheet",
     {"play", "s.scene", "--module", "mod.p", "--out", "o", "--preview", "png", "--no-progress", "--json", "o/preview.png"},
     "--json o/preview.png is the output o/preview.png: one run cannot write both there", "s.scene"},
    {"a scene named like the contact sheet, played into its folder",
     {"play", "o/preview.png", "--module", "mod.p", "--out", "o", "--preview", "png", "--no-progress"},
     "the output o/preview.png is the scene o/preview.png", "o/preview.png"},
    {"a scene named like the manifest, played into its folder",
     {"play", "o/plix-outputs.json", "--module", "mod.p", "--out", "o", "--preview", "none", "--no-progress"},
     "the outputs manifest o/plix-outputs.json is the scene o/plix-outputs.json", "o/plix-outputs.json"},
    {"a scene named like the cache, played into its folder",
     {"play", "o/cache.csv", "--module", "mod.p", "--out", "o", "--cache", "csv", "--preview", "none", "--no-progress"},
     "the output o/cache.csv is the scene o/cache.csv", "o/cache.csv"},
    {"a scene named like the cache folder, played into its folder",
     {"play", "o/cache", "--module", "mod.p", "--out", "o", "--cache", "ply", "--preview", "none", "--no-progress"},
     "the particle cache folder o/cache is the scene o/cache", "o/cache"},
};

class InputsWritten : public ::testing::TestWithParam<Clash> {};

TEST_P(InputsWritten, AreRefusedNamingBoth) {
    const Clash &c = GetParam();
    TempFolder folder;
    makeInputs(folder);
    fs::create_symlink("mod.p", folder / "mod-link");
    folder.write("ring.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    folder.write("m.scene", "frames 0 1\nobject R\n  mesh ring.obj\n  effect\n");
    fs::create_directory(folder / "o");
    for (const char *name : {"o/preview.png", "o/plix-outputs.json", "o/cache.csv", "o/cache"}) folder.write(name, oneObject);
    const std::string before = readWholeFile(folder / c.untouched);
    const auto run = runIn(folder, c.arguments);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_TRUE(readWholeFile(folder / c.untouched) == before) << c.untouched << " was changed";
}

INSTANTIATE_TEST_SUITE_P(EachCase, InputsWritten, ::testing::ValuesIn(clashes),
                         [](const ::testing::TestParamInfo<Clash> &info) {
                             std::string name = info.param.name;
                             for (char &ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST(InputsWritten, PanelMaySaveAnEditOverItsOwnScene) {
    TempFolder folder;
    makeInputs(folder);
    const auto run = runIn(folder, {"panel", "s.scene", "--module", "mod.p", "--set", "grav=3", "--save", "s.scene"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(readWholeFile(folder / "s.scene").find("Gravity 3.000000"), std::string::npos);
}

// ---- --force, the lock, leftovers of runs that died -------------------------

std::vector<std::string> playInto(const std::string &scene, const std::string &out, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments{"play", scene, "--module", "mod.p", "--out", out, "--preview", "none", "--no-progress"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

TEST(ForcedRuns, RemoveOnlyWhatAnEarlierRunWroteNeverItsSceneNorAFolder) {
    TempFolder folder;
    makeInputs(folder);
    folder.write("my.scene", oneObject);
    folder.write("other.scene", "frames 0 1\nobject B\n  points 2\n  effect\n");
    // Played into its own folder, the scene is saved as my.saved.scene beside it.
    auto run = runIn(folder, playInto("my.scene", ".", {"--cache", "ply"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(fs::exists(folder / "my.saved.scene"));
    fs::create_directories(folder / "cache" / "emptysub");
    run = runIn(folder, playInto("other.scene", ".", {"--force"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("--force: removed the earlier outputs cache/ (3 files), my.saved.scene from ."), std::string::npos)
        << run.err;
    EXPECT_EQ(readWholeFile(folder / "my.scene"), oneObject) << "the user's scene is kept";
    EXPECT_FALSE(fs::exists(folder / "my.saved.scene"));
    EXPECT_TRUE(fs::is_directory(folder / "cache" / "emptysub")) << "folders are never removed";
    EXPECT_TRUE(fs::exists(folder / "s.scene") && fs::exists(folder / "mod.p"));
}

TEST(ForcedRuns, SayWhatDiffersFromTheEarlierRun) {
    TempFolder folder;
    makeInputs(folder);
    ASSERT_EQ(runIn(folder, playInto("s.scene", "out")).exitCode, 0);
    folder.write("s.scene", oneObject + "# changed\n  | PLIX_START\n  | Gravity 3\n  | PLIX_END\n");
    const auto run = runIn(folder, playInto("s.scene", "out", {"--keep-parked"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("(it had other scene content, no --keep-parked)"), std::string::npos) << run.err;
}

TEST(OutputFolderLock, ASecondRunIntoTheFolderIsRefusedNamingTheFirst) {
    TempFolder folder;
    makeInputs(folder);
    fs::create_directory(folder / "out");
    // The lock as a run holds it, here held by the test.
    const int fd = ::open((folder / "out" / ".plix-lock").c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(::write(fd, "4242\n", 5), 5);
    const auto run = runIn(folder, playInto("s.scene", "out", {"--force"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("another plix-sandbox run (process 4242) is writing into out"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder / "out" / "plix-outputs.json"));
    ::close(fd);
    // Once the holder is gone (however it ended), the folder is free.
    const auto again = runIn(folder, playInto("s.scene", "out"));
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_FALSE(fs::exists(folder / "out" / ".plix-lock")) << "the lock file goes with the lock";
}

TEST(OutputFolderLock, TwoRunsStartedTogetherNeverBothWrite) {
    TempFolder folder;
    makeInputs(folder);
    folder.write("t.scene", "frames 0 299\nobject T\n  points 50\n  effect\n");
    plix::platform::ChildResult a, b;
    std::thread first([&] { a = runIn(folder, playInto("s.scene", "out", {"--force", "--cache", "ply"})); });
    std::thread second([&] { b = plix::platform::runChild(PLIX_SANDBOX_PROGRAM,
        {"play", (folder / "t.scene").string(), "--module", (folder / "mod.p").string(), "--out", (folder / "out").string(),
         "--preview", "none", "--no-progress", "--force", "--cache", "ply"}); });
    first.join();
    second.join();
    // Either one waited for nothing and was refused, or they ran one after the other: never a mix.
    if (a.exitCode == 1) {
        EXPECT_NE(a.err.find("another plix-sandbox run"), std::string::npos) << a.err;
    }
    if (b.exitCode == 1) {
        EXPECT_NE(b.err.find("another plix-sandbox run"), std::string::npos) << b.err;
    }
    std::size_t sceneFiles = 0;
    for (const auto &entry : fs::directory_iterator(folder / "out"))
        sceneFiles += entry.path().extension() == ".scene" ? 1 : 0;
    EXPECT_EQ(sceneFiles, 1u) << "the folder holds one run's files";
}

TEST(LeftoversOfDeadRuns, TemporaryFilesAreRemovedByTheNextRun) {
    TempFolder folder;
    makeInputs(folder);
    ASSERT_EQ(runIn(folder, playInto("s.scene", "out", {"--cache", "ply"})).exitCode, 0);
    folder.write("out/.s.scene.12345.partial", "half a scene");
    folder.write("out/cache/A.1/.frame_000001.ply.777.partial", "half a frame");
    const auto run = runIn(folder, playInto("s.scene", "out", {"--cache", "ply", "--frames", "0-0"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(fs::exists(folder / "out/.s.scene.12345.partial"));
    EXPECT_FALSE(fs::exists(folder / "out/cache/A.1/.frame_000001.ply.777.partial"));
}

TEST(LeftoversOfDeadRuns, AFileSizeLimitIsAWriteErrorThatLeavesNoTemporaryFile) {
    TempFolder folder;
    makeInputs(folder);
    folder.write("big.scene", "frames 0 40\nobject A\n  points 2000\n  effect\n");
    // No trap: the limit's signal would end the program unless it takes it as the write error it is.
    const auto limited = plix::platform::runChild(
        "/bin/sh", {"-c", "cd \"$1\" && ulimit -f 40; exec \"$0\" play big.scene --module mod.p --out out --cache ply "
                          "--keep-parked --preview none --no-progress", PLIX_SANDBOX_PROGRAM, folder.path().string()});
    ASSERT_EQ(limited.outcome, plix::platform::ChildOutcome::Exited) << plix::platform::crashText(limited.crashCode);
    EXPECT_EQ(limited.exitCode, 1) << limited.err;
    EXPECT_NE(limited.err.find("is the file size limited?"), std::string::npos) << limited.err;
    for (const auto &entry : fs::recursive_directory_iterator(folder / "out"))
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
}

TEST(LeftoversOfDeadRuns, ValidateClearsTheTemporaryFoldersOfDeadRuns) {
    TempFolder folder;
    makeInputs(folder);
    const fs::path stale = folder / "tmp" / "plix-validate-999999999-1";
    fs::create_directories(stale);
    folder.write("tmp/plix-validate-999999999-1/exports.result", "left by a run killed with SIGKILL");
    plix::platform::ChildOptions options;
    options.extraEnvironment = {{"TMPDIR", (folder / "tmp").string()}};
    const auto run = plix::platform::runChild(PLIX_SANDBOX_PROGRAM,
                                              {"validate", (folder / "mod.p").string(), "--only", "exports"}, options);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::is_empty(folder / "tmp")) << "its own folder goes too";
}

// ---- what is written reads back as what it says ------------------------------

TEST(WrittenText, PlyHeaderCommentsAreOneLineOfPrintableAscii) {
    TempFolder folder;
    makeInputs(folder);
    const std::string name = "x\nelement face 7\n\xC3\xA9.scene";
    folder.write(name, oneObject);
    const auto run = runIn(folder, playInto(name, "out", {"--cache", "ply"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string ply = readWholeFile(folder / "out" / "cache" / "frame_000001.ply");
    const std::string header = ply.substr(0, ply.find("end_header\n"));
    EXPECT_NE(header.find("\ncomment scene x\\x0Aelement face 7\\x0A\\xC3\\xA9.scene\n"), std::string::npos) << header;
    EXPECT_EQ(header.find("\nelement face"), std::string::npos) << header;
    for (const char c : header) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << header;
}

TEST(WrittenText, StandardOutputIsEscapedAsStandardErrorIs) {
    TempFolder folder;
    makeInputs(folder);
    const auto run = runIn(folder, playInto("s.scene", "out\x1b[31m"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("wrote out\\x1B[31m: s.scene"), std::string::npos) << run.out;
    for (const char c : run.out) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << run.out;
}

} // namespace
