#include "app/module_location.h"

#include "player/sandbox_error.h"
#include "plix/platform/executable_path.h"

namespace plix::sandbox {

std::filesystem::path defaultModulePath() { return platform::executableDirectory() / moduleFileName; }

std::filesystem::path resolveModulePath(const std::filesystem::path &given) {
    const std::filesystem::path path = given.empty() ? defaultModulePath() : given;
    // Whatever else is wrong with a file is said when it is loaded.
    std::error_code ec;
    if (given.empty() && !std::filesystem::exists(path, ec))
        throw SandboxError("no module file at " + path.string() +
                           " (the default, beside plix-sandbox): build plix6.p or give --module PATH");
    return path;
}

} // namespace plix::sandbox
