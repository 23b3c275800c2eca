// plix-sandbox validate run as a user runs it: it passes the real module and
// fails each test module with one deliberate fault in the checks that fault
// breaks, and only those.
#include <gtest/gtest.h>

#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "plix/platform/child_process.h"

namespace {

namespace fs = std::filesystem;
using Statuses = std::set<std::string>;

struct ValidateRun {
    plix::platform::ChildResult child;
    nlohmann::json report;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

ValidateRun runValidate(const std::string &module, std::vector<std::string> extra, const std::string &reportName,
                        const Environment &environment = {}) {
    // ctest runs the cases side by side, each in a process of its own: each
    // writes its report under its own name.
    const fs::path report =
        fs::path(testing::TempDir()) / (reportName + "-" + std::to_string(getpid()) + ".json");
    fs::remove(report);
    std::vector<std::string> args{"validate"};
    if (!module.empty()) args.push_back(module);
    args.insert(args.end(), {"--json", report.string()});
    args.insert(args.end(), extra.begin(), extra.end());
    plix::platform::ChildOptions options;
    options.timeout = std::chrono::minutes(8);
    options.extraEnvironment = environment;
    ValidateRun run{plix::platform::runChild(PLIX_SANDBOX_PROGRAM, args, options), {}};
    if (std::ifstream in(report); in) run.report = nlohmann::json::parse(in, nullptr, false);
    fs::remove(report);
    return run;
}

std::string fixture(const std::string &name) { return std::string(PLIX_FIXTURE_DIR) + "/" + name + ".p"; }

struct FixtureCase {
    std::string module;                      // test module name, or empty for the real plix6.p
    std::vector<std::string> extra;          // further arguments
    std::map<std::string, Statuses> failing; // check -> statuses it may end with
    std::string mentions;                    // text a failing check's message must hold
};

std::ostream &operator<<(std::ostream &out, const FixtureCase &c) {
    return out << (c.module.empty() ? "plix6" : c.module);
}

const Statuses failed{"fail"};
const Statuses failedOrCrashed{"fail", "crash"};

const FixtureCase fixtureCases[] = {
    {"", {}, {}, ""},
    {"extra_export", {}, {{"exports", failed}}, "plixFixtureExtraExport"},
    {"evaluate_overrun", {}, {{"evaluate-bounds", failedOrCrashed}}, ""},
    {"version_first", {}, {{"activation", failed}}, "looked up 0 services"},
    {"stray_draw", {}, {{"draw-discipline", failed}}, "new-time and evaluate drew random numbers"},
    {"shared_generator", {}, {{"threads", failed}, {"draw-discipline", failed}}, "side by side"},
    {"skipped_setting", {}, {{"state", failed}}, "Gravity"},
    {"endless_load", {}, {{"hostile-blocks", failed}}, "kept reading after the stream ran dry"},
    {"panel_wrong_value", {}, {{"panel", failed}}, "'agmx' shows"},
    {"describe_crash",
     {"--only", "describe,lifecycle,draw-discipline"},
     {{"describe", {"crash"}}, {"draw-discipline", {"crash"}}},
     ""},
    {"describe_hang", {"--only", "exports,describe", "--timeout", "3"}, {{"describe", {"timeout"}}}, "still running"},
    // 20 MB on stdout in every check, with lines that look like verdicts: no effect.
    {"stdout_flood", {}, {}, ""},
};

class ValidateFixture : public testing::TestWithParam<FixtureCase> {};

TEST_P(ValidateFixture, FailsExactlyTheChecksItsFaultBreaks) {
    const FixtureCase &c = GetParam();
    std::vector<std::string> extra{"--seed", "11"};
    extra.insert(extra.end(), c.extra.begin(), c.extra.end());
    const ValidateRun run = runValidate(c.module.empty() ? PLIX_MODULE_PATH : fixture(c.module), extra,
                                        c.module.empty() ? "plix6" : c.module);
    ASSERT_EQ(run.child.outcome, plix::platform::ChildOutcome::Exited) << run.child.err;
    EXPECT_EQ(run.child.exitCode, c.failing.empty() ? 0 : 1) << run.child.out << run.child.err;
    ASSERT_TRUE(run.report.is_object()) << run.child.out << run.child.err;

    std::size_t passed = 0;
    bool mentioned = c.mentions.empty();
    for (const auto &check : run.report["checks"]) {
        const std::string name = check["name"], status = check["status"], message = check["message"];
        const auto expected = c.failing.find(name);
        if (expected == c.failing.end()) {
            EXPECT_EQ(status, "pass") << name << ": " << message;
        } else {
            EXPECT_TRUE(expected->second.count(status)) << name << " ended " << status << ": " << message;
            mentioned = mentioned || message.find(c.mentions) != std::string::npos;
        }
        passed += status == "pass";
    }
    EXPECT_TRUE(mentioned) << "no failing check says \"" << c.mentions << "\":\n" << run.child.out;
    const std::size_t total = run.report["checks"].size();
    EXPECT_EQ(total - passed, c.failing.size());
    EXPECT_EQ(run.report["passed"], passed);
    const std::string closing = std::to_string(passed) + " passed, " + std::to_string(total - passed) + " failed\n";
    EXPECT_TRUE(run.child.out.ends_with(closing)) << run.child.out;
}

INSTANTIATE_TEST_SUITE_P(Modules, ValidateFixture, testing::ValuesIn(fixtureCases),
                         [](const testing::TestParamInfo<FixtureCase> &info) {
                             return info.param.module.empty() ? std::string("plix6") : info.param.module;
                         });

TEST(ValidateCommand, ASeedReplaysARandomisedFailureExactly) {
    const auto message = [](const ValidateRun &run) { return run.report["checks"][0]["message"].get<std::string>(); };
    const ValidateRun first = runValidate(fixture("skipped_setting"), {"--only", "state", "--seed", "99"}, "replay1");
    const ValidateRun second = runValidate(fixture("skipped_setting"), {"--only", "state", "--seed", "99"}, "replay2");
    ASSERT_TRUE(first.report.is_object() && second.report.is_object());
    EXPECT_EQ(message(first), message(second));
    EXPECT_EQ(first.report["seed"], 99);
    // What a pipeline needs to know which build of what it checked.
    EXPECT_TRUE(first.report["program"].get<std::string>().starts_with("plix-sandbox "));
    EXPECT_FALSE(first.report["platform"].get<std::string>().empty());
    EXPECT_EQ(first.report["module_sha256"].get<std::string>().size(), 64u);
}

TEST(ValidateCommand, DefaultsToTheModuleBesideTheProgramAndSelectsChecks) {
    const ValidateRun run = runValidate(
        "", {"--exclude", "hostile-blocks,frame-order", "--only", "exports,frame-order,describe", "--seed", "3"},
        "select");
    ASSERT_TRUE(run.report.is_object()) << run.child.err;
    EXPECT_EQ(fs::path(run.report["module"].get<std::string>()).filename(), "plix6.p");
    std::vector<std::string> names;
    for (const auto &check : run.report["checks"]) names.push_back(check["name"]);
    EXPECT_EQ(names, (std::vector<std::string>{"exports", "describe"}));
    EXPECT_EQ(run.child.exitCode, 0);
}

TEST(ValidateCommand, RefusesUnknownChecksAndMissingModules) {
    const ValidateRun unknown = runValidate(PLIX_MODULE_PATH, {"--only", "no-such-check"}, "unknown");
    EXPECT_EQ(unknown.child.exitCode, 2);
    EXPECT_NE(unknown.child.err.find("no-such-check"), std::string::npos);
    const ValidateRun missing = runValidate(fixture("not_built"), {}, "missing");
    EXPECT_EQ(missing.child.exitCode, 1); // a missing file, as in play and panel
    EXPECT_NE(missing.child.err.find("the file does not exist"), std::string::npos) << missing.child.err;
    EXPECT_FALSE(missing.report.is_object());
}

// Mistakes found before the first check runs: a wrong command line exits 2, a
// file that is missing or cannot be written exits 1; no check runs, no report.
struct MistakeCase {
    std::vector<std::string> arguments; // after "validate MODULE"
    int exitCode;
    std::string message;
    std::string module = PLIX_MODULE_PATH;
};

TEST(ValidateCommand, RefusesMistakesBeforeTheFirstCheck) {
    const std::string missing = fixture("not_built");
    const std::string folder = testing::TempDir();
    const MistakeCase cases[] = {
        {{"--only", "no-such-check"}, 2, "no check is named 'no-such-check'"},
        {{"--timeout", "nan"}, 2, "--timeout: 'nan' is not a number"},
        {{"--timeout", "1e300"}, 2, "--timeout: '1e300' is too long"},
        {{"--timeout", "inf"}, 2, "is too long"},
        {{"--timeout", "0"}, 2, "--timeout: '0' is not above 0"},
        {{"--timeout", "-5"}, 2, "is not above 0"},
        {{"--timeout", "1e-9"}, 2, "shorter than a millisecond"},
        {{"--timeout", "ten"}, 2, "'ten' is not a number"},
        {{"--seed", "-1"}, 2, "--seed: '-1' is not a whole number from 0 to 18446744073709551615"},
        {{"--seed", "18446744073709551616"}, 2, "--seed: '18446744073709551616' is too large"},
        {{"--seed", "1e23"}, 2, "--seed: '1e23' is not a whole number"},
        {{"--seed", ""}, 2, "is not a whole number"},
        {{}, 1, "the file does not exist", missing},
        {{}, 1, "cannot check the module " + folder, folder},
        {{"--json", folder + "/no-such-folder/report.json"}, 1, "--json: "},
        {{"--json", folder}, 1, "--json: cannot write " + folder + ": a folder stands there"},
    };
    for (const MistakeCase &c : cases) {
        std::vector<std::string> args{"validate", c.module};
        args.insert(args.end(), c.arguments.begin(), c.arguments.end());
        const plix::platform::ChildResult run = plix::platform::runChild(PLIX_SANDBOX_PROGRAM, args);
        const std::string shown = testing::PrintToString(c.arguments) + " " + c.module;
        EXPECT_EQ(run.exitCode, c.exitCode) << shown << "\n" << run.err;
        EXPECT_EQ(run.err.rfind("plix-sandbox validate: ", 0), 0u) << shown << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << shown << "\n" << run.err;
        EXPECT_EQ(run.out.find("validating"), std::string::npos) << shown << ": a check ran";
        EXPECT_LT(std::count(run.err.begin(), run.err.end(), '\n'), 3) << shown << ": not a short message";
    }
}

TEST(ValidateCommand, AFileThatIsNoModuleStopsAfterTheLoadFails) {
    const fs::path notModule = fs::path(testing::TempDir()) / "not_a_module.p";
    std::ofstream(notModule) << "PLIX_START\nPLIX_END\n";
    const ValidateRun run = runValidate(notModule.string(), {"--seed", "1"}, "not_a_module");
    EXPECT_EQ(run.child.exitCode, 1);
    ASSERT_TRUE(run.report.is_object()) << run.child.err;
    for (const auto &check : run.report["checks"]) {
        const std::string name = check["name"], message = check["message"];
        if (name == "exports" || name == "descriptor") {
            EXPECT_EQ(check["status"], "fail") << name;
            if (name == "descriptor") {
                EXPECT_NE(message.find("does not load"), std::string::npos) << message;
            }
        } else {
            EXPECT_EQ(check["status"], "skipped") << name;
            EXPECT_EQ(message, "not run: the module did not load (see descriptor)");
        }
    }
    EXPECT_EQ(run.report["passed"], 0);
    EXPECT_EQ(run.report["failed"], 2);
    EXPECT_EQ(run.report["skipped"], 10);
    EXPECT_TRUE(run.child.out.ends_with("0 passed, 2 failed, 10 skipped\n")) << run.child.out;
}

// Whatever a module does, validate leaves no process of it running and no file
// of its own behind (its result files live in a folder under TMPDIR).
struct LeftoverCase {
    std::string what;
    std::string module; // test module
    std::vector<std::string> extra;
    Environment environment;
    int exitCode;
    std::map<std::string, std::string> statuses; // check -> status; every other check passes
    std::string mentions;                        // in the first failing check's message
};

std::ostream &operator<<(std::ostream &out, const LeftoverCase &c) { return out << c.what; }

bool processRuns(long id) {
    std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z' && line[close + 2] != 'X';
}

class ValidateLeftovers : public testing::TestWithParam<LeftoverCase> {};

TEST_P(ValidateLeftovers, NoProcessAndNoFileIsLeftBehind) {
    const LeftoverCase &c = GetParam();
    const fs::path folder = fs::path(testing::TempDir()) / ("leftovers-" + std::to_string(std::hash<std::string>{}(c.what)));
    fs::remove_all(folder);
    fs::create_directories(folder / "tmp");
    const fs::path pidFile = folder / "pids";
    Environment environment = c.environment;
    environment.push_back({"TMPDIR", (folder / "tmp").string()});
    environment.push_back({"PLIX_FIXTURE_PID_FILE", pidFile.string()});
    std::vector<std::string> extra{"--seed", "5"};
    extra.insert(extra.end(), c.extra.begin(), c.extra.end());
    const ValidateRun run = runValidate(fixture(c.module), extra, "leftovers", environment);

    ASSERT_EQ(run.child.outcome, plix::platform::ChildOutcome::Exited) << run.child.err;
    EXPECT_EQ(run.child.exitCode, c.exitCode) << run.child.out << run.child.err;
    ASSERT_TRUE(run.report.is_object()) << run.child.out << run.child.err;
    bool mentioned = c.mentions.empty();
    for (const auto &check : run.report["checks"]) {
        const std::string name = check["name"], status = check["status"], message = check["message"];
        const auto expected = c.statuses.find(name);
        EXPECT_EQ(status, expected == c.statuses.end() ? "pass" : expected->second) << name << ": " << message;
        if (status != "pass" && !mentioned) {
            EXPECT_NE(message.find(c.mentions), std::string::npos) << name << ": " << message;
            mentioned = true;
        }
    }
    EXPECT_TRUE(mentioned) << run.child.out;

    std::ifstream pids(pidFile);
    for (long id = 0; pids >> id;) EXPECT_FALSE(processRuns(id)) << "process " << id << " still runs";
    EXPECT_TRUE(fs::is_empty(folder / "tmp")) << "validate left files in TMPDIR";
}

const std::map<std::string, std::string> skippedAfterDescriptor{
    {"exports", "fail"},          {"descriptor", "fail"},   {"activation", "skipped"},     {"lifecycle", "skipped"},
    {"describe", "skipped"},      {"state", "skipped"},     {"frame-order", "skipped"},    {"threads", "skipped"},
    {"draw-discipline", "skipped"}, {"hostile-blocks", "skipped"}, {"panel", "skipped"}, {"evaluate-bounds", "skipped"}};

const LeftoverCase leftoverCases[] = {
    {"a forked process outlives the check", "forked_sleeper", {"--only", "lifecycle,describe,state"}, {}, 1,
     {{"describe", "fail"}}, "left processes running after the check ended"},
    {"a check that forks and hangs times out with its processes", "forked_sleeper",
     {"--only", "describe,panel", "--timeout", "2"}, {{"PLIX_FIXTURE_HANG", "1"}}, 1, {{"describe", "timeout"}},
     "still running after 2 s; stopped with every process it started"},
    {"a module flooding stdout passes", "stdout_flood", {"--only", "describe,state,threads"}, {}, 0, {}, ""},
    {"a module that does not load skips the rest", "not_a_module", {}, {}, 1, skippedAfterDescriptor, ""},
};

INSTANTIATE_TEST_SUITE_P(Modules, ValidateLeftovers, testing::ValuesIn(leftoverCases),
                         [](const testing::TestParamInfo<LeftoverCase> &info) {
                             std::string name = info.param.what;
                             for (char &ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// /proc/ID/stat field `field` (4: parent, 5: process group), or -1.
long statField(long id, int field) {
    std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) return -1;
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string value;
    for (int k = 3; k <= field && rest >> value; ++k) {
    }
    return std::stol(value);
}

// A terminal's Ctrl-C reaches validate but not the check's own group: validate
// stops the check with its processes, removes its files and ends as the signal asks.
TEST(ValidateCommand, AStopRequestEndsTheRunningCheckToo) {
    const fs::path folder = fs::path(testing::TempDir()) / "interrupted";
    fs::remove_all(folder);
    fs::create_directories(folder / "tmp");
    const fs::path pidFile = folder / "pids";
    plix::platform::ChildResult run;
    std::thread validate([&] {
        plix::platform::ChildOptions options;
        options.timeout = std::chrono::minutes(2);
        options.extraEnvironment = {{"TMPDIR", (folder / "tmp").string()},
                                    {"PLIX_FIXTURE_PID_FILE", pidFile.string()},
                                    {"PLIX_FIXTURE_HANG", "1"}};
        run = plix::platform::runChild(PLIX_SANDBOX_PROGRAM,
                                       {"validate", fixture("forked_sleeper"), "--only", "describe"}, options);
    });
    long sleeper = 0;
    for (int i = 0; i < 3000 && sleeper == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream(pidFile) >> sleeper;
    }
    ASSERT_NE(sleeper, 0) << "the check never started";
    const long check = statField(sleeper, 5), validatePid = statField(check, 4);
    ASSERT_GT(validatePid, 1);
    kill(static_cast<pid_t>(validatePid), SIGTERM);
    validate.join();
    EXPECT_EQ(run.outcome, plix::platform::ChildOutcome::Crashed) << run.out << run.err;
    EXPECT_EQ(run.crashCode, SIGTERM);
    for (long id : {sleeper, check}) {
        for (int i = 0; i < 200 && processRuns(id); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_FALSE(processRuns(id)) << "process " << id << " still runs";
    }
    EXPECT_TRUE(fs::is_empty(folder / "tmp")) << "validate left files in TMPDIR";
}

TEST(ValidateCommand, ListsEveryCheck) {
    const plix::platform::ChildResult list = plix::platform::runChild(PLIX_SANDBOX_PROGRAM, {"validate", "--list"});
    EXPECT_EQ(list.exitCode, 0);
    for (const char *name : {"exports", "descriptor", "activation", "lifecycle", "describe", "state", "frame-order",
                             "threads", "draw-discipline", "hostile-blocks", "panel", "evaluate-bounds"})
        EXPECT_NE(list.out.find(std::string(name) + " "), std::string::npos) << name;
}

} // namespace
