#include "plix/platform/executable_path.h"

#include <system_error>

namespace plix::platform {

std::filesystem::path executablePath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

} // namespace plix::platform
