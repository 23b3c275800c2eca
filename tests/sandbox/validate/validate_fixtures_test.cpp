// plix-sandbox validate run as a user runs it: it passes the real module and
// fails each test module with one deliberate fault in the checks that fault
// breaks, and only those.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
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

ValidateRun runValidate(const std::string &module, std::vector<std::string> extra, const std::string &reportName) {
    const fs::path report = fs::path(testing::TempDir()) / (reportName + ".json");
    fs::remove(report);
    std::vector<std::string> args{"validate"};
    if (!module.empty()) args.push_back(module);
    args.insert(args.end(), {"--json", report.string()});
    args.insert(args.end(), extra.begin(), extra.end());
    plix::platform::ChildOptions options;
    options.timeout = std::chrono::minutes(8);
    ValidateRun run{plix::platform::runChild(PLIX_SANDBOX_PROGRAM, args, options), {}};
    std::ifstream in(report);
    if (in) run.report = nlohmann::json::parse(in, nullptr, false);
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

TEST(ValidateCommand, AFileThatIsNoModuleFailsEveryCheckWithoutACrash) {
    const fs::path notModule = fs::path(testing::TempDir()) / "not_a_module.p";
    std::ofstream(notModule) << "PLIX_START\nPLIX_END\n";
    const ValidateRun run = runValidate(notModule.string(), {"--seed", "1"}, "not_a_module");
    EXPECT_EQ(run.child.exitCode, 1);
    ASSERT_TRUE(run.report.is_object()) << run.child.err;
    for (const auto &check : run.report["checks"]) {
        EXPECT_EQ(check["status"], "fail") << check["name"];
        if (check["name"] != "exports") {
            EXPECT_NE(check["message"].get<std::string>().find("does not load"), std::string::npos) << check["message"];
        }
    }
    EXPECT_EQ(run.report["passed"], 0);
}

TEST(ValidateCommand, ListsEveryCheck) {
    const plix::platform::ChildResult list = plix::platform::runChild(PLIX_SANDBOX_PROGRAM, {"validate", "--list"});
    EXPECT_EQ(list.exitCode, 0);
    for (const char *name : {"exports", "descriptor", "activation", "lifecycle", "describe", "state", "frame-order",
                             "threads", "draw-discipline", "hostile-blocks", "panel", "evaluate-bounds"})
        EXPECT_NE(list.out.find(std::string(name) + " "), std::string::npos) << name;
}

} // namespace
