#include "app/panel_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "app/command_messages.h"
#include "app/module_location.h"
#include "app/panel_values.h"
#include "player/run_inputs.h"
#include "player/sandbox_error.h"
#include "player/scene_effects.h"
#include "player/scene_source.h"
#include "files/atomic_file.h"
#include "plix/platform/stop_requests.h"
#include "scene/printable_text.h"
#include "scene/scene_file_writer.h"
#include "text/words.h"

namespace plix::sandbox {
namespace {

using text::lowered;

// The control named by its identifier ('vmin') or, ignoring case, its label.
const standin::PanelControl *findControl(const std::vector<standin::PanelControl> &controls, std::string_view name) {
    for (const standin::PanelControl &control : controls)
        if (panelIdText(control.id) == name) return &control;
    for (const standin::PanelControl &control : controls)
        if (lowered(control.label) == lowered(name)) return &control;
    return nullptr;
}

std::string controlNames(const std::vector<standin::PanelControl> &controls) {
    std::string names;
    for (const standin::PanelControl &control : controls) names += (names.empty() ? "" : ", ") + panelIdText(control.id);
    return names;
}

std::string objectNames(const scene::Scene &scene) {
    std::string names;
    for (const scene::SceneObject &object : scene.objects) names += (names.empty() ? "" : ", ") + object.name;
    return names;
}

void listControls(std::ostream &out, const std::vector<standin::PanelControl> &controls) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-5s %-14s %-9s %s\n", "id", "label", "control", "shows");
    out << line;
    for (const standin::PanelControl &control : controls) {
        std::snprintf(line, sizeof line, "  %-5s %-14s %-9s %s\n", panelIdText(control.id).c_str(), control.label.c_str(),
                      control.controlType.c_str(), showValue(control.value, control.controlType).c_str());
        out << line;
    }
}

// Before any work: --save may name the scene itself (saving an edit over
// it), but no other input, and only a place the program writes files at.
void checkSaveTarget(const std::filesystem::path &target, const SceneSource &source,
                     const std::filesystem::path &modulePath) {
    std::vector<files::NamedPath> inputs = inputsOf(source, modulePath);
    if (source.file) inputs.erase(inputs.begin());
    refuseOutputClashes(inputs, {{target, "--save"}});
    try {
        files::checkCanWrite(target);
    } catch (const std::runtime_error &problem) {
        throw SandboxError(std::string("--save: ") + problem.what());
    }
}

int panel(const PanelOptions &options, std::ostream &out, std::ostream &err) {
    SceneSource source = readSceneSource(options.scene);
    scene::Scene &scene = source.scene;

    std::size_t objectIndex = 0;
    if (options.object) {
        const auto found = std::find_if(scene.objects.begin(), scene.objects.end(),
                                        [&](const scene::SceneObject &o) { return o.name == *options.object; });
        if (found == scene.objects.end())
            throw SandboxError("no object '" + *options.object + "' in " + options.scene.string() +
                               " (its objects: " + objectNames(scene) + ")");
        objectIndex = static_cast<std::size_t>(found - scene.objects.begin());
    }
    scene::SceneObject &object = scene.objects[objectIndex];
    if (object.effects.empty() && options.effect == 1) {
        object.effects.emplace_back();
        err << "plix-sandbox: note: object '" << object.name << "' has no effect yet: showing a new one with its "
            << "default settings\n";
    }
    if (options.effect < 1 || static_cast<std::size_t>(options.effect) > object.effects.size())
        throw SandboxError("object '" + object.name + "' has " + std::to_string(object.effects.size()) +
                           " effect(s); there is no effect " + std::to_string(options.effect));
    const std::size_t block = static_cast<std::size_t>(options.effect - 1);

    const std::filesystem::path modulePath = resolveModulePath(options.module);
    if (options.save) checkSaveTarget(*options.save, source, modulePath);
    printNotes(err, scene::sceneNotes(scene, sceneDisplayName(source)));
    SceneEffects effects(scene, modulePath.string());
    std::size_t effectIndex = 0;
    while (effects.effects()[effectIndex].object != objectIndex || effects.effects()[effectIndex].block != block)
        ++effectIndex;

    void *panelHandle = effects.buildPanel(effectIndex);
    standin::PanelToolkit &toolkit = effects.panels();
    for (const std::string &edit : options.sets) {
        const std::size_t equals = edit.find('=');
        if (equals == std::string::npos)
            throw CommandLineError("--set takes ID=VALUE, such as vmin=2.5; got '" + edit + "'");
        const std::string name = edit.substr(0, equals);
        const std::string text = edit.substr(equals + 1);
        const std::vector<standin::PanelControl> controls = toolkit.listControls(panelHandle);
        const standin::PanelControl *control = findControl(controls, name);
        if (control == nullptr)
            throw CommandLineError("the panel has no control '" + name + "' (its controls: " + controlNames(controls) +
                                   ")");
        std::string expected;
        const auto value = readValue(text, control->dataType, control->controlType, expected);
        if (!value)
            throw CommandLineError("'" + panelIdText(control->id) + "' (" + control->label + ") takes " + expected +
                                   "; got '" + text + "'");
        if (!toolkit.enterValue(panelHandle, control->id, *value))
            throw SandboxError("the panel took no value for '" + panelIdText(control->id) + "'");
        out << "set " << panelIdText(control->id) << " (" << control->label << ") to " << showValue(*value, control->controlType)
            << "\n";
    }

    out << "panel of object '" << object.name << "', effect " << options.effect << ":\n";
    listControls(out, toolkit.listControls(panelHandle));

    if (options.save) {
        platform::throwIfStopRequested();
        scene::Scene saved = scene;
        saved.objects[objectIndex].effects[block].lines = effects.savedBlock(effectIndex);
        std::filesystem::path folder = options.save->parent_path();
        if (folder.empty()) folder = ".";
        files::writeFileAtomically(*options.save, scene::writeSceneText(saved, folder));
        out << "saved " << scene::printable(options.save->string()) << "\n";
    } else if (!options.sets.empty()) {
        err << "plix-sandbox: note: the edits are not saved; add --save OUT to keep them\n";
    }
    return 0;
}

} // namespace

int runPanel(const PanelOptions &options, std::ostream &out, std::ostream &err) {
    try {
        const platform::StopRequests stopRequests;
        return panel(options, out, err);
    } catch (const CommandLineError &error) { // an edit the panel cannot take
        err << "plix-sandbox: " << failureMessage(error) << "\n";
        return 2;
    } catch (const platform::StopRequested &stop) {
        err << "plix-sandbox: " << stop.what() << ": nothing was saved\n";
        err.flush();
        platform::endAsSignalled(stop.signal());
    } catch (const std::exception &error) { // scene mistakes, module failures, bad edits, unwritable output
        err << "plix-sandbox: " << failureMessage(error) << "\n";
        return 1;
    }
}

} // namespace plix::sandbox
