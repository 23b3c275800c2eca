// The studio's view of a scene played through the module: SceneEffects
// behind the StudioModel interface. Made, called and destroyed on the
// studio's module thread only.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "player/scene_effects.h"
#include "player/scene_source.h"
#include "studio/studio_model.h"

namespace plix::sandbox {

class StudioSession : public studio::StudioModel {
public:
    // Loads the module and creates every effect, as play does. `saveTarget`:
    // where "Save scene" writes (none: saving is refused). Throws
    // SandboxError when the module cannot be loaded or an effect created.
    StudioSession(SceneSource source, const std::filesystem::path &modulePath,
                  std::optional<std::filesystem::path> saveTarget);

    studio::StudioScene scene() override;
    geometry::FrameSparks frame(int frame) override;
    std::vector<standin::PanelControl> panel(std::size_t effect) override;
    bool enter(std::size_t effect, unsigned int id, const standin::PanelValue &value) override;
    std::string save() override;

private:
    void *panelOf(std::size_t effect);

    SceneSource source_;
    std::optional<std::filesystem::path> saveTarget_;
    SceneEffects effects_;
    std::vector<void *> panels_; // one panel per effect, built when first shown
};

} // namespace plix::sandbox
