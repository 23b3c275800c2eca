#include "plix/platform/sha256.h"

#include <openssl/evp.h>

#include <array>
#include <fstream>
#include <memory>

namespace plix::platform {
namespace {

struct ContextDeleter {
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};

class Digest {
public:
    Digest() : context_(EVP_MD_CTX_new()) {
        ok_ = context_ != nullptr && EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) == 1;
    }
    void add(const char *data, std::size_t size) {
        ok_ = ok_ && EVP_DigestUpdate(context_.get(), data, size) == 1;
    }
    std::optional<std::string> hex() {
        std::array<unsigned char, EVP_MAX_MD_SIZE> bytes{};
        unsigned int size = 0;
        if (!ok_ || EVP_DigestFinal_ex(context_.get(), bytes.data(), &size) != 1) return std::nullopt;
        static constexpr char digits[] = "0123456789abcdef";
        std::string text;
        for (unsigned int i = 0; i < size; ++i) {
            text.push_back(digits[bytes[i] >> 4]);
            text.push_back(digits[bytes[i] & 15]);
        }
        return text;
    }

private:
    std::unique_ptr<EVP_MD_CTX, ContextDeleter> context_;
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
