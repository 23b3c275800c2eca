// SHA-256 digests, as lower-case hexadecimal text: of bytes in memory and of
// a file's content. OpenSSL's libcrypto on POSIX systems; on Windows the
// system's own cryptography (bcrypt), which every Windows has.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace plix::platform {

std::string sha256Hex(std::string_view bytes);

// None when it is no regular file or cannot be read.
std::optional<std::string> sha256OfFile(const std::filesystem::path &file);

} // namespace plix::platform
