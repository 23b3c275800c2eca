#include "module_session.h"

#include <cmath>
#include <cstring>

#include "check.h"

namespace plix::validate {

Vec3 movingPosition(double time) {
    return {3.0 * std::sin(1.3 * time), 2.0 * time - 0.5 * time * time, 3.0 * std::cos(0.7 * time)};
}

geometry::Axes movingAxes(double time) {
    // Turns about y by a heading that grows with time, after a pitch about z
    // that swings back and forth.
    const double h = 0.9 * time, p = 0.4 * std::sin(time);
    const double ch = std::cos(h), sh = std::sin(h), cp = std::cos(p), sp = std::sin(p);
    geometry::Axes axes;
    axes.x = {ch * cp, sp, -sh * cp};
    axes.y = {-ch * sp, cp, sh * sp};
    axes.z = {sh, 0.0, ch};
    return axes;
}

ModuleSession::ModuleSession(const std::string &modulePath, bool activateEffect) {
    host.calls().setRecording(false);
    const bool opened = module.open(modulePath); // before the message reads the error
    if (!opened) throw ModuleDidNotLoad(text("the module does not load: ", module.errorText()));
    if (!activateEffect) return;
    const int result = effect.activate(PLIX_INTERFACE_VERSION);
    expect(result == PLIX_ACTIVATE_OK, "activating the effect at version 4 returned ", result);
}

void *ModuleSession::createOn(std::uintptr_t itemNumber, int points) {
    void *item = standin::itemId(itemNumber);
    host.addObject({item, points, movingPosition, movingAxes});
    void *instance = effect.create(item);
    expect(instance != nullptr, "create returned no instance for an object of ", pointsText(points));
    return instance;
}

std::vector<std::string> ModuleSession::save(void *instance) {
    standin::LineSaveState state;
    expect(effect.save(instance, state.state()) == nullptr, "the save entry reported an error");
    for (const standin::LineSaveState::Write &write : state.writes())
        expect(write.countMatches, "the save entry wrote \"", write.text, "\" with a byte count of ", write.byteCount,
               ", expected its length plus the terminating zero");
    return state.lines();
}

void ModuleSession::load(void *instance, const std::vector<std::string> &lines) {
    std::string textOfLines;
    for (const std::string &line : lines) textOfLines += line + '\n';
    standin::TextLoadState state(textOfLines);
    expect(effect.load(instance, state.state()) == nullptr, "the load entry reported an error");
}

std::vector<Vec3> ModuleSession::frame(void *instance, int frame, double fps, int evaluations) {
    effect.newTime(instance, frame, static_cast<double>(frame) / fps);
    return effect.evaluateAll(instance, evaluations);
}

std::vector<std::array<float, 3>> ModuleSession::publishedPositions(std::uintptr_t itemNumber) const {
    const standin::ParticleSystemState *system = host.particles().attachedTo(standin::itemId(itemNumber));
    return system ? system->positions : std::vector<std::array<float, 3>>{};
}

void *ModuleSession::panelFor(void *instance) {
    const standin::InterfaceActivation activation = settingsPanel.activate(instance);
    expect(activation.result == PLIX_ACTIVATE_OK, "the settings panel's activation returned ", activation.result);
    expect(activation.record.panel != nullptr, "the settings panel's activation built no panel");
    return activation.record.panel;
}

std::string pointsText(int points) { return text(points, points == 1 ? " point" : " points"); }

std::string joinLines(const std::vector<std::string> &lines) {
    std::string joined;
    for (const std::string &line : lines) joined += (joined.empty() ? "" : " | ") + line;
    return joined;
}

bool samePositions(const std::vector<Vec3> &a, const std::vector<Vec3> &b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Vec3)) == 0);
}

} // namespace plix::validate
