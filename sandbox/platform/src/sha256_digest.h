// The SHA-256 computation itself, from the system's library (OpenSSL's
// libcrypto on POSIX, bcrypt.dll on Windows); sha256_common.cpp builds the
// public functions on it.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>

namespace plix::platform::detail {

class Sha256Digest {
public:
    Sha256Digest();
    ~Sha256Digest();
    Sha256Digest(const Sha256Digest &) = delete;
    Sha256Digest &operator=(const Sha256Digest &) = delete;

    void add(const char *data, std::size_t size);
    // None when the library failed at any step.
    std::optional<std::array<unsigned char, 32>> finish();

private:
    struct State;
    std::unique_ptr<State> state_;
    bool ok_ = false;
};

} // namespace plix::platform::detail
