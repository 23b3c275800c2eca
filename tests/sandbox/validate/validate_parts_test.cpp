// Pieces of the validator on their own: how a child's end is judged, the
// console lines, and the export readers on damaged files.
#include <gtest/gtest.h>

#include "check_outcome.h"
#include "exported_symbols.h"
#include "validate_report.h"

namespace {

using plix::platform::ChildOutcome;
using plix::platform::ChildResult;
using plix::validate::CheckStatus;

struct JudgeCase {
    const char *what;
    ChildResult child;
    std::string resultFile; // what the child wrote into its result file
    CheckStatus status;
    const char *message; // a part of the message
    bool unloadable = false;
};

ChildResult exited(int code, std::string out, std::string err = "") {
    ChildResult r;
    r.outcome = ChildOutcome::Exited;
    r.exitCode = code;
    r.out = std::move(out);
    r.err = std::move(err);
    return r;
}

ChildResult ended(ChildOutcome outcome, int crashCode = 0, std::string err = "") {
    ChildResult r;
    r.outcome = outcome;
    r.crashCode = crashCode;
    r.err = std::move(err);
    return r;
}

TEST(CheckOutcome, JudgesHowAChildEnded) {
    const std::string flood(1 << 20, 'x');
    ChildResult leftBehind = exited(0, "");
    leftBehind.leftProcesses = true;
    ChildResult crashedAndLeft = ended(ChildOutcome::Crashed, 11);
    crashedAndLeft.leftProcesses = true;
    const JudgeCase cases[] = {
        {"pass", exited(0, "x\n"), "pass\n3 frames\n", CheckStatus::Pass, "3 frames"},
        {"fail", exited(3, ""), "fail\nwrong value\n", CheckStatus::Fail, "wrong value"},
        {"does not load", exited(3, ""), "unloadable\nthe module does not load: x\n", CheckStatus::Fail,
         "does not load", true},
        {"no result file", exited(0, "hello\n"), "", CheckStatus::Crash, "before reporting"},
        {"a result in stdout is not a result", exited(0, "pass\nok\n"), "", CheckStatus::Crash, "before reporting"},
        {"stdout flooded, result in the file", exited(0, flood), "pass\nok\n", CheckStatus::Pass, "ok"},
        {"a forged failure in stdout", exited(0, "\nfail\nforged\n"), "pass\nok\n", CheckStatus::Pass, "ok"},
        {"verdict and exit code disagree", exited(0, ""), "fail\nwrong\n", CheckStatus::Crash, "after reporting fail"},
        {"sanitizer after pass", exited(1, "", "==1==ERROR: LeakSanitizer: detected leaks\n"), "pass\nok\n",
         CheckStatus::Crash, "LeakSanitizer"},
        {"sanitizer", exited(1, "", "==7==ERROR: AddressSanitizer: heap-buffer-overflow on address\n"), "",
         CheckStatus::Crash, "heap-buffer-overflow"},
        {"signal", ended(ChildOutcome::Crashed, 11), "", CheckStatus::Crash, "signal 11 (SIGSEGV"},
        {"timeout", ended(ChildOutcome::TimedOut), "", CheckStatus::Timeout, "still running after 5 s"},
        {"not started", ended(ChildOutcome::StartFailed), "", CheckStatus::Crash, "could not start"},
        {"passed but left processes", leftBehind, "pass\nok\n", CheckStatus::Fail, "left processes running"},
        {"crashed and left processes", crashedAndLeft, "", CheckStatus::Crash, "also left processes running"},
    };
    for (const JudgeCase &c : cases) {
        const plix::validate::CheckOutcome outcome = plix::validate::judgeChild("x", c.child, c.resultFile, 5.0);
        EXPECT_EQ(outcome.status, c.status) << c.what;
        EXPECT_EQ(outcome.moduleDidNotLoad, c.unloadable) << c.what;
        EXPECT_NE(outcome.message.find(c.message), std::string::npos) << c.what << ": " << outcome.message;
        EXPECT_EQ(outcome.errorOutput, c.status == CheckStatus::Pass ? "" : c.child.err) << c.what;
    }
}

TEST(ValidateReport, OneLinePerCheckAndTheClosingCount) {
    using plix::validate::CheckOutcome;
    const std::vector<CheckOutcome> outcomes{{"exports", CheckStatus::Pass, "only _mod_descrip", 0.1, ""},
                                             {"panel", CheckStatus::Fail, "'agmx' shows 10", 0.2, ""},
                                             {"describe", CheckStatus::Crash, "killed by signal 11", 0.3, ""}};
    EXPECT_EQ(plix::validate::consoleLine(outcomes[0]), "pass    exports: only _mod_descrip");
    EXPECT_EQ(plix::validate::consoleLine(outcomes[2]), "crash   describe: killed by signal 11");
    EXPECT_EQ(plix::validate::closingLine(outcomes), "1 passed, 2 failed");
    std::vector<CheckOutcome> withSkipped = outcomes;
    withSkipped.push_back(plix::validate::skippedCheck("state", "descriptor"));
    EXPECT_EQ(plix::validate::consoleLine(withSkipped.back()),
              "skipped state: not run: the module did not load (see descriptor)");
    EXPECT_EQ(plix::validate::closingLine(withSkipped), "1 passed, 2 failed, 1 skipped");
}

TEST(ExportedSymbols, DamagedFilesGiveAReasonNotACrash) {
    const std::vector<std::vector<unsigned char>> elves{
        {0x7F, 'E', 'L', 'F'},
        {0x7F, 'E', 'L', 'F', 2, 1, 1, 0},
        std::vector<unsigned char>(64, 0xFF),
    };
    for (const auto &bytes : elves) {
        const plix::validate::ExportedSymbols read = plix::validate::readElfExports(bytes);
        EXPECT_FALSE(read.ok);
        EXPECT_FALSE(read.error.empty());
    }
    std::vector<unsigned char> pe(0x100, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    pe[0x3C] = 0x80;
    pe[0x80] = 'P';
    pe[0x81] = 'E';
    pe[0x80 + 24] = 0x0B; // PE32+ magic, then nothing: the header runs off the file
    pe[0x80 + 25] = 0x02;
    const plix::validate::ExportedSymbols read = plix::validate::readPeExports(pe);
    EXPECT_FALSE(read.ok);
    EXPECT_FALSE(read.error.empty());
    EXPECT_FALSE(plix::validate::readExportedSymbols("/nonexistent/module.p").ok);
}

TEST(ExportedSymbols, ReadsTheBuiltModule) {
    const plix::validate::ExportedSymbols read = plix::validate::readExportedSymbols(PLIX_MODULE_PATH);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.format, "ELF");
    EXPECT_EQ(read.names, std::vector<std::string>{"_mod_descrip"});
}

} // namespace
