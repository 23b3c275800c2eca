// The files a command reads, for the check that nothing it writes is one of
// them: the scene file, the meshes its objects take their points from, the
// module.
#pragma once

#include <filesystem>
#include <vector>

#include "player/scene_source.h"
#include "files/path_clash.h"

namespace plix::sandbox {

std::vector<files::NamedPath> inputsOf(const SceneSource &source, const std::filesystem::path &module);

// Throws SandboxError when one of `writes` is one of the command's inputs or
// another of `writes`, naming both.
void refuseOutputClashes(const std::vector<files::NamedPath> &inputs, const std::vector<files::NamedPath> &writes);

} // namespace plix::sandbox
