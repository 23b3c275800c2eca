// A failure of a plix-sandbox command, with a message for the user.
#pragma once

#include <stdexcept>

namespace plix::sandbox {

class SandboxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A wrong command line found only once the command has begun (an edit that
// names no control of the module's panel): exit code 2, as for any other.
class CommandLineError : public SandboxError {
public:
    using SandboxError::SandboxError;
};

} // namespace plix::sandbox
