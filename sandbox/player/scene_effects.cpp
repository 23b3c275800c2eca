#include "player/scene_effects.h"

#include "player/sandbox_error.h"
#include "plix/host/service_abi.h"

#include <memory>

namespace plix::sandbox {
namespace {

constexpr unsigned int parkingId = PLIX_ID4('a', 'v', 'o', 'i');

std::string activationReason(int result) {
    switch (result) {
    case PLIX_ACTIVATE_BAD_VERSION: return "result 1: interface version not supported";
    case PLIX_ACTIVATE_MISSING_SERVICE: return "result 2: a required host service is missing";
    case -1: return "the module has no such server";
    default: return "result " + std::to_string(result);
    }
}

// Velocity, measured through the module's entries alone. The effect takes the
// frame number and the time as the host passes them: the frame fixes each
// spark's birth time b, its launch velocity w (turned by the object's axes at
// b) and its start Q (the object's position at b), and the time T only enters
// as the age a = T - b of the ballistic path
//     p(T) = Q + a w - (0, g a^2 / 2, 0).
// Asked for the same frame at T + h and T + 2h, the effect hands out points
// of this same quadratic, and the derivative at T of the parabola through the
// three points is exact for a quadratic: p'(T) = w - (0, g a, 0). Only float
// rounding remains, of the order of the positions' last place divided by h.
// A spark in flight at T is in flight at every later time of the same frame
// (only "not born after T" depends on the time), so forward steps always
// stay on its flight; a parked spark does not move.
// h = 1/64 s keeps both probes before the next frame's time at scene rates
// up to 32 per second, and is exact in binary.
constexpr double velocityProbeStep = 1.0 / 64.0;

// The derivative at t0 of the parabola through (t0, p0), (t1, p1), (t2, p2),
// with the differences of the times as the doubles hold them. Written on the
// differences p1 - p0 and p2 - p0, so a far-off start loses no precision to
// cancellation beyond that of the positions themselves.
geometry::Vec3 derivativeAtFirst(double t0, const geometry::Vec3 &p0, double t1, const geometry::Vec3 &p1, double t2,
                                 const geometry::Vec3 &p2) {
    const double d1 = t1 - t0, d2 = t2 - t0;
    const double c1 = d2 / (d1 * (d2 - d1));
    const double c2 = -d1 / (d2 * (d2 - d1));
    return {c1 * (p1.x - p0.x) + c2 * (p2.x - p0.x), c1 * (p1.y - p0.y) + c2 * (p2.y - p0.y),
            c1 * (p1.z - p0.z) + c2 * (p2.z - p0.z)};
}

std::string joinLines(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines) text += line + "\n";
    return text;
}

} // namespace

SceneEffects::SceneEffects(const scene::Scene &scene, const std::string &modulePath)
    : scene_(scene),
      host_(std::make_unique<standin::StandinHost>()),
      module_(std::make_unique<standin::ModuleFile>()) {
    host_->calls().setRecording(false);
    if (!module_->open(modulePath))
        throw SandboxError("cannot load the module " + modulePath + ": " + module_->errorText());
    handler_ = std::make_unique<standin::HandlerServer>(*module_, *host_);
    interface_ = std::make_unique<standin::InterfaceServer>(*module_, *host_);
    const int activation = handler_->activate();
    if (activation != PLIX_ACTIVATE_OK)
        throw SandboxError("the module " + modulePath + " did not activate its DisplacementHandler (" +
                           activationReason(activation) + ")");

    for (std::size_t o = 0; o < scene_.objects.size(); ++o) {
        const scene::SceneObject &object = scene_.objects[o];
        void *item = standin::itemId(o + 1);
        const double fps = scene_.fps;
        host_->addObject({item, object.pointCount,
                          [&object, fps](double t) { return object.positionAt(t, fps); },
                          [&object, fps](double t) { return object.axesAt(t, fps); }});
        for (std::size_t b = 0; b < object.effects.size(); ++b) {
            const scene::EffectBlock &block = object.effects[b];
            const std::size_t systemsBefore = host_->particles().systemCount();
            Effect effect;
            effect.object = o;
            effect.block = b;
            effect.pointCount = object.pointCount;
            effect.instance = handler_->create(item);
            if (effect.instance == nullptr)
                throw SandboxError("the effect on object '" + object.name + "' could not be created (" +
                                   std::to_string(object.pointCount) + " points)");
            effects_.push_back(effect);
            if (host_->particles().systemCount() > systemsBefore)
                effects_.back().particleSystem = host_->particles().latest();
            // Every effect is loaded from its block, as the host loads a scene;
            // an empty block reads as an empty stream and leaves the defaults.
            // So a scene saved back plays exactly as the scene it came from.
            standin::TextLoadState load(joinLines(block.lines));
            // What the effect makes of each line is told by the scene's notes.
            handler_->load(effects_.back().instance, load.state());
        }
    }
    for (std::size_t e = 0; e < effects_.size(); ++e) readParking(e);
}

// Parking positions, read as a user sees them: through each effect's panel.
void SceneEffects::readParking(std::size_t effect) {
    void *panel = buildPanel(effect);
    const standin::PanelValue value = host_->panels().readValue(panel, parkingId);
    if (const auto *parking = std::get_if<geometry::Vec3>(&value))
        effects_.at(effect).parking = *parking;
    else
        throw SandboxError("the effect's panel shows no parking position ('avoi')");
}

SceneEffects::~SceneEffects() {
    for (const Effect &effect : effects_) handler_->destroy(effect.instance);
}

geometry::FrameSparks SceneEffects::playFrame(int frame, bool measureVelocity) {
    geometry::FrameSparks frameSparks;
    playFrame(frame, frameSparks, measureVelocity);
    return frameSparks;
}

void SceneEffects::playFrame(int frame, geometry::FrameSparks &frameSparks, bool measureVelocity) {
    frameSparks.resize(effects_.size());
    const double time = timeOf(frame);
    const double time1 = time + velocityProbeStep, time2 = time1 + velocityProbeStep;
    for (std::size_t e = 0; e < effects_.size(); ++e) {
        const Effect &effect = effects_[e];
        if (measureVelocity) { // before the frame's own call, which the outputs then see as if alone
            handler_->newTime(effect.instance, frame, time1);
            handler_->evaluateAll(effect.instance, effect.pointCount, oneStepLater_);
            handler_->newTime(effect.instance, frame, time2);
            handler_->evaluateAll(effect.instance, effect.pointCount, twoStepsLater_);
        }
        handler_->newTime(effect.instance, frame, time);
        handler_->evaluateAll(effect.instance, effect.pointCount, positions_);
        const standin::ParticleSystemState *system = host_->particles().find(effect.particleSystem);
        std::vector<geometry::SparkSample> &sparks = frameSparks[e];
        sparks.resize(positions_.size());
        for (std::size_t i = 0; i < positions_.size(); ++i) {
            geometry::SparkSample &spark = sparks[i];
            spark.position = positions_[i];
            spark.parked = positions_[i] == effect.parking;
            spark.age = system != nullptr && i < system->ages.size() ? system->ages[i] : 0.0f;
            spark.velocity = measureVelocity && !spark.parked
                                 ? derivativeAtFirst(time, positions_[i], time1, oneStepLater_[i], time2, twoStepsLater_[i])
                                 : geometry::Vec3{};
        }
    }
}

std::vector<geometry::Vec3> SceneEffects::emitterPositions(int frame) const {
    std::vector<geometry::Vec3> positions;
    for (const scene::SceneObject &object : scene_.objects)
        if (!object.effects.empty()) positions.push_back(object.positionAt(timeOf(frame), scene_.fps));
    return positions;
}

std::vector<std::string> SceneEffects::savedBlock(std::size_t effect) {
    standin::LineSaveState save;
    handler_->save(effects_.at(effect).instance, save.state());
    return save.lines();
}

scene::Scene SceneEffects::sceneWithSavedBlocks() {
    scene::Scene saved = scene_;
    for (std::size_t e = 0; e < effects_.size(); ++e)
        saved.objects[effects_[e].object].effects[effects_[e].block].lines = savedBlock(e);
    return saved;
}

void *SceneEffects::buildPanel(std::size_t effect) {
    const standin::InterfaceActivation activation = interface_->activate(effects_.at(effect).instance);
    if (activation.result != PLIX_ACTIVATE_OK || activation.record.panel == nullptr)
        throw SandboxError("the module built no settings panel (DisplacementInterface " +
                           activationReason(activation.result) + ")");
    return activation.record.panel;
}

} // namespace plix::sandbox
