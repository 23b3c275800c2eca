#include <gtest/gtest.h>

#include "plix/platform/module_library.h"

namespace plix::platform {
namespace {

TEST(ModuleLibrary, FindsExportedSymbolsOnly) {
    std::string error;
    ModuleLibrary library = ModuleLibrary::open(PLIX_MODULE_PATH, &error);
    ASSERT_TRUE(library.isOpen()) << error;
    EXPECT_NE(library.symbol("_mod_descrip"), nullptr);
    EXPECT_EQ(library.symbol("no_such_symbol"), nullptr);
    EXPECT_EQ(library.symbol(nullptr), nullptr);

    ModuleLibrary moved = std::move(library);
    EXPECT_FALSE(library.isOpen());
    EXPECT_NE(moved.symbol("_mod_descrip"), nullptr);
    moved.close();
    EXPECT_EQ(moved.symbol("_mod_descrip"), nullptr);
}

TEST(ModuleLibrary, MissingFileGivesAReason) {
    std::string error;
    const ModuleLibrary library = ModuleLibrary::open("/nonexistent/plix6.p", &error);
    EXPECT_FALSE(library.isOpen());
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace plix::platform
