// What SHA-256 digests share on every system: the hexadecimal text, and
// reading a file in pieces.
#include <array>
#include <fstream>

#include "plix/platform/sha256.h"
#include "sha256_digest.h"

namespace plix::platform {
namespace {

std::optional<std::string> hexOf(detail::Sha256Digest &digest) {
    const std::optional<std::array<unsigned char, 32>> bytes = digest.finish();
    if (!bytes) return std::nullopt;
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : *bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

} // namespace

std::string sha256Hex(std::string_view bytes) {
    detail::Sha256Digest digest;
    digest.add(bytes.data(), bytes.size());
    return hexOf(digest).value_or(std::string());
}

std::optional<std::string> sha256OfFile(const std::filesystem::path &file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt; // not a folder, nor an endless device
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    detail::Sha256Digest digest;
    std::array<char, 1 << 16> buffer{};
    while (in) {
        in.read(buffer.data(), buffer.size());
        digest.add(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return std::nullopt;
    return hexOf(digest);
}

} // namespace plix::platform
