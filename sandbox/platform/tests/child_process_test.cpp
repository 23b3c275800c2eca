// Children that exit, crash, hang, talk a lot, or cannot start at all.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fstream>
#include <unistd.h>
#endif

#include "child_modes.h"
#include "plix/platform/child_process.h"
#include "plix/platform/executable_path.h"

int runChildMode(int argc, char **argv) {
    if (argc < 3 || std::strcmp(argv[1], "--child") != 0) return -1;
    const std::string mode = argv[2];
    if (mode == "exit") { // echo the arguments, one per line, then exit with 7
#ifdef _WIN32
        // The bytes as written: no carriage return added before each newline.
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
#endif
        for (int i = 3; i < argc; ++i) std::printf("%s\n", argv[i]);
        std::fprintf(stderr, "to stderr\n");
        return 7;
    }
    if (mode == "crash") {
#ifdef _WIN32
        SetErrorMode(SEM_NOGPFAULTERRORBOX); // no crash dialog
        RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
#else
        std::signal(SIGSEGV, SIG_DFL); // past any sanitizer's handler
        std::raise(SIGSEGV);
#endif
        return 0;
    }
    if (mode == "hang") {
        std::this_thread::sleep_for(std::chrono::minutes(5));
        return 0;
    }
    if (mode == "flood") { // more than a pipe holds, on both streams
        const std::string block(4096, 'x');
        for (int i = 0; i < 256; ++i) {
            std::fwrite(block.data(), 1, block.size(), stdout);
            std::fwrite(block.data(), 1, block.size(), stderr);
        }
        return 0;
    }
    if (mode == "leave-sleeper" || mode == "sleeper-then-hang") {
        // Starts a process that sleeps for five minutes and prints its id;
        // then ends, or hangs.
#ifdef _WIN32
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --child hang";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &process))
            return 98;
        std::printf("%lu\n", static_cast<unsigned long>(process.dwProcessId));
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
#else
        const pid_t sleeper = fork();
        if (sleeper == 0) {
            sleep(300);
            _exit(0);
        }
        std::printf("%ld\n", static_cast<long>(sleeper));
#endif
        std::fflush(stdout);
        if (mode == "sleeper-then-hang") std::this_thread::sleep_for(std::chrono::minutes(5));
        return 0;
    }
    if (mode == "env") {
        const char *value = std::getenv("PLIX_PLATFORM_TEST");
        std::printf("%s", value ? value : "(unset)");
        return 0;
    }
    return 99;
}

namespace plix::platform {
namespace {

ChildResult runSelf(std::vector<std::string> arguments, ChildOptions options = {}) {
    arguments.insert(arguments.begin(), "--child");
    return runChild(executablePath(), arguments, options);
}

// Whether the process of that id runs (a zombie does not).
bool processRuns(unsigned long id) {
#ifdef _WIN32
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process) return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
#else
    std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z' && line[close + 2] != 'X';
#endif
}

// Killing is not instant: gives a process up to five seconds to go.
bool processGoesAway(unsigned long id) {
    for (int i = 0; i < 500 && processRuns(id); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !processRuns(id);
}

TEST(ChildProcess, NormalExitGivesCodeAndBothStreams) {
    const ChildResult result = runSelf({"exit", "plain", "with space", "quote\"d", ""});
    ASSERT_EQ(result.outcome, ChildOutcome::Exited) << result.startError << result.err;
    EXPECT_EQ(result.exitCode, 7);
    EXPECT_EQ(result.out, "plain\nwith space\nquote\"d\n\n");
    EXPECT_EQ(result.err, "to stderr\n");
}

TEST(ChildProcess, CrashIsToldApartFromAnExit) {
    const ChildResult result = runSelf({"crash"});
    ASSERT_EQ(result.outcome, ChildOutcome::Crashed);
#ifndef _WIN32
    EXPECT_EQ(result.crashCode, SIGSEGV);
#endif
}

TEST(ChildProcess, HangingChildIsKilledAtTheTimeout) {
    ChildOptions options;
    options.timeout = std::chrono::milliseconds(300);
    EXPECT_EQ(runSelf({"hang"}, options).outcome, ChildOutcome::TimedOut);
}

TEST(ChildProcess, ProcessesTheChildLeavesBehindAreKilledAndReported) {
    const ChildResult ends = runSelf({"leave-sleeper"});
    ASSERT_EQ(ends.outcome, ChildOutcome::Exited) << ends.err;
    EXPECT_EQ(ends.exitCode, 0);
#ifndef _WIN32
    EXPECT_TRUE(ends.leftProcesses);
#endif
    const unsigned long sleeper = std::stoul(ends.out);
    EXPECT_TRUE(processGoesAway(sleeper)) << "process " << sleeper << " still runs";

    ChildOptions options;
    options.timeout = std::chrono::milliseconds(1500);
    const ChildResult hangs = runSelf({"sleeper-then-hang"}, options);
    ASSERT_EQ(hangs.outcome, ChildOutcome::TimedOut);
    ASSERT_FALSE(hangs.out.empty());
    const unsigned long second = std::stoul(hangs.out);
    EXPECT_TRUE(processGoesAway(second)) << "process " << second << " still runs";

    const ChildResult alone = runSelf({"exit"});
    EXPECT_FALSE(alone.leftProcesses);
}

TEST(ChildProcess, CrashesAreNamed) {
#ifdef _WIN32
    EXPECT_EQ(crashText(static_cast<int>(0xC0000005u)), "access violation (0xC0000005)");
#else
    EXPECT_EQ(crashText(SIGSEGV), "killed by signal 11 (SIGSEGV, segmentation fault)");
    EXPECT_EQ(crashText(SIGTERM), "killed by signal 15 (SIGTERM, terminated)");
    EXPECT_EQ(crashText(200), "killed by signal 200");
#endif
}

TEST(ChildProcess, LargeOutputOnBothStreamsIsReadWhole) {
    const ChildResult result = runSelf({"flood"});
    ASSERT_EQ(result.outcome, ChildOutcome::Exited);
    EXPECT_EQ(result.out.size(), 256u * 4096u);
    EXPECT_EQ(result.err.size(), 256u * 4096u);
    EXPECT_FALSE(result.outputTruncated);
}

TEST(ChildProcess, OutputBeyondTheCapIsDropped) {
    ChildOptions options;
    options.maxCapturedBytes = 10000;
    const ChildResult result = runSelf({"flood"}, options);
    ASSERT_EQ(result.outcome, ChildOutcome::Exited);
    EXPECT_EQ(result.out.size(), 10000u);
    EXPECT_TRUE(result.outputTruncated);
}

TEST(ChildProcess, ExtraEnvironmentReachesTheChild) {
    ChildOptions options;
    options.extraEnvironment = {{"PLIX_PLATFORM_TEST", "from parent"}};
    EXPECT_EQ(runSelf({"env"}, options).out, "from parent");
    EXPECT_EQ(runSelf({"env"}).out, "(unset)");
}

TEST(ChildProcess, MissingProgramFailsToStart) {
    const ChildResult result = runChild("/nonexistent/program", {});
    EXPECT_EQ(result.outcome, ChildOutcome::StartFailed);
    EXPECT_FALSE(result.startError.empty());
}

TEST(ExecutablePath, NamesThisProgram) {
    const std::filesystem::path path = executablePath();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.stem(), "plix_platform_tests");
    EXPECT_EQ(executableDirectory(), path.parent_path());
}

} // namespace
} // namespace plix::platform
