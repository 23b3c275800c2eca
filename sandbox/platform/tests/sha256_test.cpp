// SHA-256 against the published test vectors, and of a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "plix/platform/sha256.h"
#include "temp_folder.h"

namespace plix::platform {
namespace {

TEST(Sha256, GivesThePublishedDigests) {
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, OfAFileIsThatOfItsBytesAndNoneWhenItCannotBeRead) {
    const testing::TempFolder folder;
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 300);
    const auto file = folder.write("bytes.bin", bytes);
    EXPECT_EQ(sha256OfFile(file), sha256Hex(bytes));
    std::filesystem::remove(file);
    EXPECT_EQ(sha256OfFile(file), std::nullopt);
    EXPECT_EQ(sha256OfFile(folder.path()), std::nullopt);
}

} // namespace
} // namespace plix::platform
