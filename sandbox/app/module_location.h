// Where plix-sandbox finds the module when it is not told: plix6.p in the
// folder of the running program.
#pragma once

#include <filesystem>

namespace plix::sandbox {

inline constexpr const char *moduleFileName = "plix6.p";

std::filesystem::path defaultModulePath();

// The given path, or the default one when `given` is empty. Throws
// SandboxError when the default is missing; any other path is checked when
// the module is loaded.
std::filesystem::path resolveModulePath(const std::filesystem::path &given);

} // namespace plix::sandbox
