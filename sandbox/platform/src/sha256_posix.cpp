#include <openssl/evp.h>

#include <algorithm>

#include "sha256_digest.h"

namespace plix::platform::detail {

struct Sha256Digest::State {
    struct ContextDeleter {
        void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD_CTX, ContextDeleter> context{EVP_MD_CTX_new()};
};

Sha256Digest::Sha256Digest() : state_(std::make_unique<State>()) {
    ok_ = state_->context != nullptr && EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr) == 1;
}

Sha256Digest::~Sha256Digest() = default;

void Sha256Digest::add(const char *data, std::size_t size) {
    ok_ = ok_ && EVP_DigestUpdate(state_->context.get(), data, size) == 1;
}

std::optional<std::array<unsigned char, 32>> Sha256Digest::finish() {
    std::array<unsigned char, EVP_MAX_MD_SIZE> bytes{};
    unsigned int size = 0;
    if (!ok_ || EVP_DigestFinal_ex(state_->context.get(), bytes.data(), &size) != 1 || size != 32)
        return std::nullopt;
    ok_ = false; // finished: nothing more can be added
    std::array<unsigned char, 32> out{};
    std::copy(bytes.begin(), bytes.begin() + 32, out.begin());
    return out;
}

} // namespace plix::platform::detail
