#include "studio/studio_session.h"

#include <algorithm>
#include <stdexcept>

#include "plix/host/service_abi.h"
#include "files/atomic_file.h"
#include "player/frame_range.h"
#include "scene/scene_notes.h"
#include "scene/scene_file_writer.h"

namespace plix::sandbox {
namespace {

constexpr unsigned int parkingId = PLIX_ID4('a', 'v', 'o', 'i');

} // namespace

StudioSession::StudioSession(SceneSource source, const std::filesystem::path &modulePath,
                             std::optional<std::filesystem::path> saveTarget)
    : source_(std::move(source)), saveTarget_(std::move(saveTarget)), effects_(source_.scene, modulePath.string()),
      panels_(effects_.effects().size(), nullptr) {}

studio::StudioScene StudioSession::scene() {
    const scene::Scene &scene = effects_.scene();
    studio::StudioScene out;
    out.name = source_.fileName;
    out.fps = scene.fps;
    out.firstFrame = scene.firstFrame;
    out.lastFrame = scene.lastFrame;
    for (const SceneEffects::Effect &effect : effects_.effects())
        out.effects.push_back({scene.objects[effect.object].name, static_cast<int>(effect.block) + 1, effect.pointCount});
    for (const scene::SceneObject &object : scene.objects) {
        if (object.effects.empty()) continue;
        studio::EmitterPath path{object.name, {}, {}};
        const long long count = static_cast<long long>(scene.lastFrame) - scene.firstFrame + 1;
        const long long points = std::min<long long>(count, studio::EmitterPath::mostPathPoints);
        for (long long i = 0; i < points; ++i) {
            const int f = points == 1 ? scene.firstFrame : spreadFrame(scene.firstFrame, scene.lastFrame, i, points);
            path.frames.push_back(f);
            path.positions.push_back(object.positionAt(effects_.timeOf(f), scene.fps));
        }
        out.emitters.push_back(std::move(path));
    }
    for (const scene::SceneNote &note : scene::sceneNotes(scene, sceneDisplayName(source_))) out.notes.push_back(note.formatted());
    if (saveTarget_) out.saveTarget = saveTarget_->string();
    return out;
}

geometry::FrameSparks StudioSession::frame(int frame) { return effects_.playFrame(frame); }

void *StudioSession::panelOf(std::size_t effect) {
    void *&panel = panels_.at(effect);
    if (panel == nullptr) panel = effects_.buildPanel(effect);
    return panel;
}

std::vector<standin::PanelControl> StudioSession::panel(std::size_t effect) {
    return effects_.panels().listControls(panelOf(effect));
}

bool StudioSession::enter(std::size_t effect, unsigned int id, const standin::PanelValue &value) {
    const bool entered = effects_.panels().enterValue(panelOf(effect), id, value).has_value();
    // Parked sparks are told apart by the parking position.
    if (entered && id == parkingId) effects_.readParking(effect);
    return entered;
}

std::string StudioSession::save() {
    if (!saveTarget_) throw std::runtime_error("the studio was started without a scene file to save to");
    std::filesystem::path folder = saveTarget_->parent_path();
    if (folder.empty()) folder = ".";
    files::writeFileAtomically(*saveTarget_, scene::writeSceneText(effects_.sceneWithSavedBlocks(), folder));
    return saveTarget_->string();
}

} // namespace plix::sandbox
