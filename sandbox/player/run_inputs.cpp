#include "player/run_inputs.h"

#include <stdexcept>

#include "player/sandbox_error.h"

namespace plix::sandbox {

std::vector<files::NamedPath> inputsOf(const SceneSource &source, const std::filesystem::path &module) {
    std::vector<files::NamedPath> inputs;
    if (source.file) inputs.push_back({*source.file, "the scene"});
    for (const scene::SceneObject &object : source.scene.objects)
        if (object.meshText) inputs.push_back({object.meshPath, "the mesh of object '" + object.name + "'"});
    if (!module.empty()) inputs.push_back({module, "the module"});
    return inputs;
}

void refuseOutputClashes(const std::vector<files::NamedPath> &inputs, const std::vector<files::NamedPath> &writes) {
    try {
        files::refuseClashes(inputs, writes);
    } catch (const std::runtime_error &clash) {
        throw SandboxError(clash.what());
    }
}

} // namespace plix::sandbox
