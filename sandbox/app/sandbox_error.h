// A failure of a plix-sandbox command, with a message for the user.
#pragma once

#include <stdexcept>

namespace plix::sandbox {

class SandboxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace plix::sandbox
