// plix-sandbox play run as a user runs it (the built program as a child
// process) against output folders in every state: earlier runs of the same
// scene, of another scene, things standing where outputs go, a disk that
// fills up, and a run stopped by a signal.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <thread>

#include "plix/platform/child_process.h"
#include "temp_folder.h"

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace plix::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char *otherScene = "frames 0 9\nobject Other\n  points 20\n  effect\n";

platform::ChildResult sandbox(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"play", "--module", PLIX_MODULE_PATH, "--no-progress"});
    platform::ChildOptions options;
    options.timeout = std::chrono::seconds(120);
    return platform::runChild(PLIX_SANDBOX_PROGRAM, arguments, options);
}

// Every file and folder below `folder`, with the content of each file.
std::map<std::string, std::string> contentOf(const fs::path &folder) {
    std::map<std::string, std::string> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto &entry : fs::recursive_directory_iterator(folder))
        files[fs::relative(entry.path(), folder).generic_string()] = entry.is_regular_file() ? readWholeFile(entry) : "/";
    return files;
}

std::vector<std::string> namesIn(const fs::path &folder) {
    std::vector<std::string> names;
    for (const auto &[name, content] : contentOf(folder)) names.push_back(name);
    return names;
}

bool anyTemporaryFile(const fs::path &folder) {
    for (const auto &[name, content] : contentOf(folder))
        if (name.find(".partial") != std::string::npos) return true;
    return false;
}

struct FolderCase {
    const char *name;
    // Readies the folder (given the test folder and the scene files) and
    // returns the arguments of the run to try.
    std::function<std::vector<std::string>(const TempFolder &, const fs::path &out, const fs::path &other)> setUp;
    int exitCode;
    const char *message;   // in stderr (exit 1) or stdout
    bool folderUnchanged;  // the output folder is as the set-up left it
    bool needsPreview = false; // the run writes the contact sheet
};

void PrintTo(const FolderCase &c, std::ostream *out) { *out << c.name; }

class OutputFolders : public ::testing::TestWithParam<FolderCase> {};

TEST_P(OutputFolders, AreCheckedBeforeTheFirstFrame) {
    const FolderCase &c = GetParam();
#ifndef PLIX_HAVE_PREVIEW
    if (c.needsPreview) GTEST_SKIP() << "this build writes no contact sheet";
#endif
    TempFolder folder;
    const fs::path out = folder / "out";
    const fs::path other = folder.write("other.scene", otherScene);
    const std::vector<std::string> arguments = c.setUp(folder, out, other);
    const auto before = contentOf(out);
    const platform::ChildResult result = sandbox(arguments);
    ASSERT_EQ(result.outcome, platform::ChildOutcome::Exited) << result.err;
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_NE((result.err + result.out).find(c.message), std::string::npos) << result.err << result.out;
    if (c.folderUnchanged) {
        EXPECT_EQ(contentOf(out), before);
    }
    EXPECT_FALSE(anyTemporaryFile(out));
}

const auto earlierRun = [](const fs::path &out, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--out", out.string(), "--cache", "ply", "--frames", "0-4", "--preview", "none"};
    args.insert(args.end(), extra.begin(), extra.end());
    const platform::ChildResult result = sandbox(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
};

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputFolders,
    ::testing::Values(
        FolderCase{"another scene is refused",
                   [](const TempFolder &, const fs::path &out, const fs::path &other) {
                       earlierRun(out);
                       return std::vector<std::string>{other.string(), "--out", out.string(), "--cache", "ply"};
                   },
                   1, "holds the outputs of another run (scene default.scene", true},
        FolderCase{"other settings are refused",
                   [](const TempFolder &, const fs::path &out, const fs::path &) {
                       earlierRun(out);
                       return std::vector<std::string>{"--out", out.string(), "--cache", "ply", "--keep-parked"};
                   },
                   1, "add --force to remove them first", true},
        FolderCase{"outputs without a manifest are refused",
                   [](const TempFolder &folder, const fs::path &out, const fs::path &) {
                       fs::create_directories(out);
                       folder.write("out/preview.png", "someone's picture");
                       return std::vector<std::string>{"--out", out.string()};
                   },
                   1, "holds outputs that no plix-outputs.json describes (preview.png)", true},
        FolderCase{"a folder where the contact sheet goes",
                   [](const TempFolder &, const fs::path &out, const fs::path &) {
                       fs::create_directories(out / "preview.png" / "keep");
                       return std::vector<std::string>{"--out", out.string(), "--cache", "ply"};
                   },
                   1, "preview.png: a folder stands there, and the program replaces only files", true, true},
        FolderCase{"a folder where a frame file goes",
                   [](const TempFolder &, const fs::path &out, const fs::path &) {
                       fs::create_directories(out / "cache" / "frame_000003.ply");
                       return std::vector<std::string>{"--out", out.string(), "--cache", "ply", "--frames", "0-9"};
                   },
                   1, "frame_000003.ply: something other than a file stands there", false},
        FolderCase{"a file where the output folder goes",
                   [](const TempFolder &folder, const fs::path &out, const fs::path &) {
                       folder.write("out", "a file");
                       return std::vector<std::string>{"--out", (out / "sub").string()};
                   },
                   1, "cannot make the output folder", false},
        FolderCase{"a folder where the summary goes",
                   [](const TempFolder &folder, const fs::path &out, const fs::path &) {
                       fs::create_directories(folder / "summary.json");
                       return std::vector<std::string>{"--out", out.string(), "--json",
                                                       (folder / "summary.json").string()};
                   },
                   1, "summary.json: a folder stands there", true},
        FolderCase{"--force removes the earlier run's outputs",
                   [](const TempFolder &, const fs::path &out, const fs::path &other) {
                       earlierRun(out);
                       return std::vector<std::string>{other.string(), "--out", out.string(), "--cache", "ply",
                                                       "--frames", "0-1", "--preview", "none", "--force"};
                   },
                   0, "--force: removed the earlier outputs cache/ (5 files), default.scene", false},
        FolderCase{"a slice of the same scene joins the folder",
                   [](const TempFolder &, const fs::path &out, const fs::path &) {
                       earlierRun(out);
                       return std::vector<std::string>{"--out", out.string(), "--cache", "ply", "--frames", "5-9",
                                                       "--preview", "none"};
                   },
                   0, "wrote", false}));

TEST(OutputFolder, ForceLeavesOnlyTheNewRunsFilesAndSlicesAddUp) {
    TempFolder folder;
    const fs::path out = folder / "out";
    earlierRun(out);
    const fs::path other = folder.write("other.scene", otherScene);
    ASSERT_EQ(sandbox({other.string(), "--out", out.string(), "--cache", "ply", "--frames", "0-1", "--preview",
                       "none", "--force"})
                  .exitCode,
              0);
    EXPECT_EQ(namesIn(out), (std::vector<std::string>{"cache", "cache/frame_000000.ply", "cache/frame_000001.ply",
                                                      "other.scene", "plix-outputs.json"}));
    ASSERT_EQ(sandbox({other.string(), "--out", out.string(), "--cache", "ply", "--frames", "2-9", "--preview",
                       "none"})
                  .exitCode,
              0);
    const std::vector<std::string> names = namesIn(out);
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string &n) { return n.rfind("cache/frame_", 0) == 0; }),
              10);
}

#ifndef _WIN32
// A file size limit stands in for a full disk: writes beyond it fail.
TEST(OutputFolder, ARunThatFailsMidwayLeavesTheEarlierRunsFilesAsTheyWere) {
    TempFolder folder;
    const fs::path out = folder / "out";
    ASSERT_EQ(sandbox({"--out", out.string(), "--cache", "ply", "--frames", "0-40", "--preview", "none"}).exitCode, 0);
    const auto before = contentOf(out);
    const platform::ChildResult result = platform::runChild(
        "/bin/sh", {"-c", std::string("ulimit -f 40; trap '' XFSZ; exec \"$0\" play --module \"$1\" --no-progress "
                                      "--out \"$2\" --cache ply --frames 0-40 --preview none"),
                    PLIX_SANDBOX_PROGRAM, PLIX_MODULE_PATH, out.string()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("is the disk full?"), std::string::npos) << result.err;
    EXPECT_EQ(contentOf(out), before) << "frames written again are the same bytes; the rest untouched";
}

#if !defined(PLIX_SANITIZED)
// An address-space limit stands in for a machine without the memory (the
// sanitizers reserve more than any such limit allows).
TEST(OutputFolder, ARunOutOfMemorySaysSoAndWritesNoFrame) {
    TempFolder folder;
    const fs::path out = folder / "out";
    const fs::path scene = folder.write("big.scene", "frames 0 1\nobject Big\n  points 6000000\n  effect\n");
    const platform::ChildResult result = platform::runChild(
        "/bin/sh", {"-c", std::string("ulimit -v 900000; exec \"$0\" play \"$1\" --module \"$2\" --no-progress "
                                      "--out \"$3\" --cache ply --preview none"),
                    PLIX_SANDBOX_PROGRAM, scene.string(), PLIX_MODULE_PATH, out.string()});
    ASSERT_EQ(result.outcome, platform::ChildOutcome::Exited) << result.err;
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("plix-sandbox: ran out of memory"), std::string::npos) << result.err;
    EXPECT_TRUE(!fs::exists(out / "cache") || fs::is_empty(out / "cache")) << "no frame";
    EXPECT_FALSE(anyTemporaryFile(out));
}
#endif

// Ctrl-C, SIGTERM or SIGHUP: the run stops between frames, removes its
// temporary files and ends as the signal ends a program. A signal the run was
// started ignoring (as `nohup` and background jobs start it) stays ignored.
TEST(OutputFolder, AnInterruptedRunLeavesNoTemporaryFileAndEndsByItsSignal) {
    struct Stop {
        int signal;
        int ignoredFromTheStart; // 0, or a signal sent first that must not stop the run
    };
    for (const Stop stop : {Stop{SIGTERM, 0}, Stop{SIGINT, 0}, Stop{SIGHUP, 0}, Stop{SIGTERM, SIGINT},
                            Stop{SIGINT, SIGHUP}}) {
        const int signal = stop.signal;
        SCOPED_TRACE("signal " + std::to_string(signal) + ", ignored " + std::to_string(stop.ignoredFromTheStart));
        TempFolder folder;
        const fs::path out = folder / "out";
        const fs::path scene = folder.write("big.scene", "frames 0 100000\nobject Big\n  points 200000\n  effect\n"
                                                         "  | PLIX_START\n  | Birth 60000\n  | PLIX_END\n");
        const fs::path errFile = folder / "stderr.txt";
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 2);
            if (stop.ignoredFromTheStart != 0) std::signal(stop.ignoredFromTheStart, SIG_IGN);
            execl(PLIX_SANDBOX_PROGRAM, PLIX_SANDBOX_PROGRAM, "play", scene.c_str(), "--module", PLIX_MODULE_PATH,
                  "--out", out.c_str(), "--cache", "ply", "--preview", "none", "--no-progress", nullptr);
            _exit(127);
        }
        // Once frames are being written, stop it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!fs::exists(out / "cache" / "frame_000001.ply") && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        int status = 0;
        if (stop.ignoredFromTheStart != 0) {
            kill(child, stop.ignoredFromTheStart);
            std::this_thread::sleep_for(std::chrono::milliseconds(500)); // several frames
            EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "the ignored signal stopped the run";
        }
        kill(child, signal);
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
        EXPECT_NE(readWholeFile(errFile).find("interrupted by"), std::string::npos) << readWholeFile(errFile);
        EXPECT_FALSE(anyTemporaryFile(out));
        EXPECT_TRUE(fs::exists(out / "cache" / "frame_000000.ply")) << "finished frames stay";
    }
}
#endif

} // namespace
} // namespace plix::testing
