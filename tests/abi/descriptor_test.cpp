// What the host reads from plix6.p before it calls anything: the descriptor,
// the server table and the file's exported symbols.
#include <cstdio>
#include <set>
#include <string>

#include "module_fixture.h"

namespace plix::test {
namespace {

TEST(Descriptor, CarriesSyncVersionMachineAndStartsUpWithFour) {
    ModuleFile module;
    ASSERT_TRUE(module.open(PLIX_MODULE_PATH)) << module.errorText();
    const ModuleDescriptor *descriptor = module.descriptor();
    EXPECT_EQ(descriptor->sync, 0x04121994u);
    EXPECT_EQ(descriptor->version, 3u);
    EXPECT_EQ(descriptor->machine, 0x300u);
    EXPECT_EQ(module.serverData(), reinterpret_cast<void *>(4));
    ASSERT_NE(descriptor->shutdown, nullptr);
}

TEST(Descriptor, ServerTableHasTwoPlixRowsThenAnAllZeroRow) {
    ModuleFile module;
    ASSERT_TRUE(module.open(PLIX_MODULE_PATH)) << module.errorText();
    const ServerRow *rows = module.descriptor()->servers;
    const char *classes[] = {"DisplacementHandler", "DisplacementInterface"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(classes[i]);
        ASSERT_NE(rows[i].className, nullptr);
        EXPECT_STREQ(rows[i].className, classes[i]);
        EXPECT_STREQ(rows[i].name, "PLIX!");
        EXPECT_NE(rows[i].activate, nullptr);
        EXPECT_EQ(rows[i].reserved, nullptr);
    }
    EXPECT_EQ(rows[2].className, nullptr);
    EXPECT_EQ(rows[2].name, nullptr);
    EXPECT_EQ(rows[2].activate, nullptr);
    EXPECT_EQ(rows[2].reserved, nullptr);
    EXPECT_EQ(module.servers().size(), 2u);
}

// The defined dynamic symbols of the file, as nm lists them.
std::set<std::string> exportedSymbols(const char *path, bool &ran) {
    std::set<std::string> names;
    const std::string command = std::string("nm -D --defined-only '") + path + "' 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    ran = pipe != nullptr;
    if (!pipe) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const auto space = text.find_last_of(' ');
        if (space != std::string::npos) names.insert(text.substr(space + 1));
    }
    ran = pclose(pipe) == 0;
    return names;
}

TEST(Descriptor, FileExportsOnlyTheDescriptor) {
    bool ran = false;
    const std::set<std::string> names = exportedSymbols(PLIX_MODULE_PATH, ran);
    if (!ran) GTEST_SKIP() << "nm is not available";
    EXPECT_EQ(names, std::set<std::string>{"_mod_descrip"});
}

TEST(Descriptor, InternalNamesAreNotVisibleToTheHost) {
    ModuleFile module;
    ASSERT_TRUE(module.open(PLIX_MODULE_PATH)) << module.errorText();
    EXPECT_NE(module.symbol("_mod_descrip"), nullptr);
    for (const char *name : {"hostServices", "drawRandom", "_Z11drawRandomv", "_Z15activateHandleriPFPvPKciES_S_"})
        EXPECT_EQ(module.symbol(name), nullptr) << name;
}

TEST(Descriptor, AFileThatIsNoModuleIsRefused) {
    ModuleFile module;
    EXPECT_FALSE(module.open("/nonexistent/plix6.p"));
    EXPECT_EQ(module.error(), ModuleError::CannotLoad);
    EXPECT_FALSE(module.isOpen());
}

} // namespace
} // namespace plix::test
