// The loader refuses a module file whose descriptor the host cannot use.
#include <gtest/gtest.h>

#include <string>

#include "plix/standin/module_file.h"

namespace plix::standin {
namespace {

struct FaultCase {
    const char *file;
    ModuleError error;
};
void PrintTo(const FaultCase &c, std::ostream *os) { *os << c.file; }

class ModuleFileFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ModuleFileFaults, AreRefusedWithTheirReason) {
    ModuleFile module;
    EXPECT_FALSE(module.open(std::string(PLIX_FAKE_MODULE_DIR) + "/" + GetParam().file));
    EXPECT_EQ(module.error(), GetParam().error) << module.errorText();
    EXPECT_FALSE(module.isOpen());
    EXPECT_EQ(module.descriptor(), nullptr);
    EXPECT_TRUE(module.servers().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Descriptor, ModuleFileFaults,
    ::testing::Values(FaultCase{"plix_fake_bad_sync.p", ModuleError::BadSync},
                      FaultCase{"plix_fake_bad_version.p", ModuleError::BadVersion},
                      FaultCase{"plix_fake_bad_machine.p", ModuleError::BadMachine},
                      FaultCase{"plix_fake_no_server_table.p", ModuleError::NoServerTable},
                      FaultCase{"plix_fake_no_descriptor.p", ModuleError::NoDescriptor},
                      FaultCase{"missing.p", ModuleError::CannotLoad}));

} // namespace
} // namespace plix::standin
