// What plix-sandbox writes over, run as a user runs it (the built program as
// a child process): every command that writes a file, against every kind of
// thing that can stand at the file's name. The program creates or replaces
// only regular files, writes through a link to the file it names, keeps a
// replaced file's permissions and hard links, and leaves a read-only file
// alone unless play is given --force. What a command reads is never what it
// writes.
#include <gtest/gtest.h>

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
    {"pipe", [](const fs::path &p) { return ::mkfifo(p.c_str(), 0644) == 0; }, "a pipe (FIFO) stands there",
     fs::file_type::fifo},
    {"character device", [](const fs::path &p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
     "a character device stands there", fs::file_type::character},
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
     "a socket stands there", fs::file_type::socket},
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
    EXPECT_NE(run.err.find("cannot write " + target + ": " + c.file->says), std::string::npos) << run.err;
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
};

class InputsWritten : public ::testing::TestWithParam<Clash> {};

TEST_P(InputsWritten, AreRefusedNamingBoth) {
    const Clash &c = GetParam();
    TempFolder folder;
    makeInputs(folder);
    fs::create_symlink("mod.p", folder / "mod-link");
    folder.write("ring.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    folder.write("m.scene", "frames 0 1\nobject R\n  mesh ring.obj\n  effect\n");
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

} // namespace
