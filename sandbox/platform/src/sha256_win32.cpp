#include "plix/platform/sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <fstream>

namespace plix::platform {
namespace {

class Digest {
public:
    Digest() {
        ok_ = BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 &&
              BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0) >= 0;
    }
    ~Digest() {
        if (hash_ != nullptr) BCryptDestroyHash(hash_);
        if (algorithm_ != nullptr) BCryptCloseAlgorithmProvider(algorithm_, 0);
    }
    Digest(const Digest &) = delete;
    Digest &operator=(const Digest &) = delete;

    void add(const char *data, std::size_t size) {
        while (ok_ && size > 0) {
            const ULONG piece = size > (1u << 30) ? (1u << 30) : static_cast<ULONG>(size);
            ok_ = BCryptHashData(hash_, reinterpret_cast<PUCHAR>(const_cast<char *>(data)), piece, 0) >= 0;
            data += piece;
            size -= piece;
        }
    }
    std::optional<std::string> hex() {
        std::array<unsigned char, 32> bytes{};
        if (!ok_ || BCryptFinishHash(hash_, bytes.data(), static_cast<ULONG>(bytes.size()), 0) < 0)
            return std::nullopt;
        static constexpr char digits[] = "0123456789abcdef";
        std::string text;
        for (unsigned char b : bytes) {
            text.push_back(digits[b >> 4]);
            text.push_back(digits[b & 15]);
        }
        return text;
    }

private:
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    bool ok_ = false;
};

} // namespace

std::string sha256Hex(std::string_view bytes) {
    Digest digest;
    digest.add(bytes.data(), bytes.size());
    return digest.hex().value_or(std::string());
}

std::optional<std::string> sha256OfFile(const std::filesystem::path &file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt; // not a folder, nor an endless device
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Digest digest;
    std::array<char, 1 << 16> buffer{};
    while (in) {
        in.read(buffer.data(), buffer.size());
        digest.add(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return std::nullopt;
    return digest.hex();
}

} // namespace plix::platform
