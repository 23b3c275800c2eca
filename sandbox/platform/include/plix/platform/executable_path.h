// Where the running program lives, so it can find files shipped beside it.
#pragma once

#include <filesystem>

namespace plix::platform {

// Absolute path of the running executable; empty if the system cannot say.
std::filesystem::path executablePath();

// Folder holding the running executable; empty if unknown.
inline std::filesystem::path executableDirectory() { return executablePath().parent_path(); }

} // namespace plix::platform
