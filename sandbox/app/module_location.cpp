#include "app/module_location.h"

#include "app/sandbox_error.h"
#include "plix/platform/executable_path.h"

namespace plix::sandbox {

std::filesystem::path defaultModulePath() { return platform::executableDirectory() / moduleFileName; }

std::filesystem::path resolveModulePath(const std::filesystem::path &given) {
    const std::filesystem::path path = given.empty() ? defaultModulePath() : given;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw SandboxError("no module file at " + path.string() +
                           (given.empty() ? " (the default, beside plix-sandbox): build plix6.p or give --module PATH"
                                          : ""));
    return path;
}

} // namespace plix::sandbox
