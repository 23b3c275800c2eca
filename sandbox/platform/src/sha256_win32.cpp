#include <windows.h>
#include <bcrypt.h>

#include "sha256_digest.h"

namespace plix::platform::detail {

struct Sha256Digest::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash != nullptr) BCryptDestroyHash(hash);
        if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Sha256Digest::Sha256Digest() : state_(std::make_unique<State>()) {
    ok_ = BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 &&
          BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0) >= 0;
}

Sha256Digest::~Sha256Digest() = default;

void Sha256Digest::add(const char *data, std::size_t size) {
    while (ok_ && size > 0) {
        const ULONG piece = size > (1u << 30) ? (1u << 30) : static_cast<ULONG>(size);
        ok_ = BCryptHashData(state_->hash, reinterpret_cast<PUCHAR>(const_cast<char *>(data)), piece, 0) >= 0;
        data += piece;
        size -= piece;
    }
}

std::optional<std::array<unsigned char, 32>> Sha256Digest::finish() {
    std::array<unsigned char, 32> bytes{};
    if (!ok_ || BCryptFinishHash(state_->hash, bytes.data(), static_cast<ULONG>(bytes.size()), 0) < 0)
        return std::nullopt;
    ok_ = false; // finished: nothing more can be added
    return bytes;
}

} // namespace plix::platform::detail
