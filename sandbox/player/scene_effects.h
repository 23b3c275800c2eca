// A scene brought to life in the stand-in host: the module loaded through
// _mod_descrip and activated, one host object per scene object, one effect
// instance per effect block, created and loaded in file order on the calling
// thread (so the module's random sequence runs on across them as in the
// host). Plays frames as the host does and saves every block back.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plix/standin/standin.h"
#include "plix/geometry.h"
#include "scene/scene.h"

namespace plix::sandbox {

class SceneEffects {
public:
    struct Effect {
        std::size_t object = 0;  // index in the scene's objects
        std::size_t block = 0;   // index in that object's effects
        void *instance = nullptr;
        const void *particleSystem = nullptr; // the system its create made
        int pointCount = 0;
        geometry::Vec3 parking{}; // the panel's 'avoi' value
    };

    // Throws SandboxError when the module cannot be loaded or activated or an
    // instance cannot be created.
    SceneEffects(const scene::Scene &scene, const std::string &modulePath);
    ~SceneEffects();
    SceneEffects(const SceneEffects &) = delete;
    SceneEffects &operator=(const SceneEffects &) = delete;

    const std::vector<Effect> &effects() const { return effects_; }
    const scene::Scene &scene() const { return scene_; }

    // One frame as the host plays it: for each effect in scene order, new-time
    // with the frame and its time, then evaluate once per point. Returns each
    // spark's position, published age and whether it is parked.
    // With `measureVelocity`, also each spark's velocity, through the
    // module's entries alone (see velocityProbeStep in scene_effects.cpp).
    geometry::FrameSparks playFrame(int frame, bool measureVelocity = false);
    // The same into `sparks`, whose memory is kept from frame to frame.
    void playFrame(int frame, geometry::FrameSparks &sparks, bool measureVelocity = false);
    double timeOf(int frame) const { return frame / scene_.fps; }

    // Positions of the objects that carry effects, at a frame.
    std::vector<geometry::Vec3> emitterPositions(int frame) const;

    // The lines the save entry writes for one effect.
    std::vector<std::string> savedBlock(std::size_t effect);
    // The scene with every effect block replaced by the save entry's lines.
    scene::Scene sceneWithSavedBlocks();

    // A panel built through the DisplacementInterface server for one effect.
    void *buildPanel(std::size_t effect);
    // Reads the effect's parking position through its panel again (after an
    // edit of 'avoi'), by which parked sparks are told apart.
    void readParking(std::size_t effect);
    standin::PanelToolkit &panels() { return host_->panels(); }

private:
    scene::Scene scene_;
    std::unique_ptr<standin::StandinHost> host_;
    std::unique_ptr<standin::ModuleFile> module_;
    std::unique_ptr<standin::HandlerServer> handler_;
    std::unique_ptr<standin::InterfaceServer> interface_;
    std::vector<Effect> effects_;
    // What evaluate handed out, kept from frame to frame: at the frame's time
    // and at the two later probe times.
    std::vector<geometry::Vec3> positions_, oneStepLater_, twoStepsLater_;
};

} // namespace plix::sandbox
