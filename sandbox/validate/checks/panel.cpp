// The settings panel: its control and data tables, what the activation hands
// the toolkit, the defaults it shows, and get/set round trips of randomised
// edits against a model of the stored settings (the panel shows each pair of
// bounds sorted; the saved block keeps them as entered).
#include <cmath>
#include <cstdlib>

#include "checks/checks.h"
#include "module_session.h"
#include "panel_controls.h"
#include "settings_model.h"

namespace plix::validate {
namespace {

using standin::PanelValue;

constexpr int edits = 240;
constexpr int editsBetweenSaves = 16;

std::string show(const PanelValue &value) {
    if (const double *d = std::get_if<double>(&value)) return text(*d);
    if (const int *i = std::get_if<int>(&value)) return text(*i);
    if (const Vec3 *v = std::get_if<Vec3>(&value)) return text("(", v->x, ", ", v->y, ", ", v->z, ")");
    return "no value";
}

void checkTables(void *instance, const standin::PanelState &panel) {
    expect(panel.kind == PLIX_XPANEL_KIND_FORM, "the panel was created of kind ", panel.kind, ", expected 1");
    expect(panel.controls.size() == std::size(panelControls), "the control table has ", panel.controls.size(),
           " rows, expected 12");
    expect(panel.data.size() == std::size(panelControls), "the data table has ", panel.data.size(),
           " rows, expected 12");
    for (std::size_t i = 0; i < std::size(panelControls); ++i) {
        const ExpectedControl &spec = panelControls[i];
        const standin::PanelRow &control = panel.controls[i], &data = panel.data[i];
        expect(control.id == spec.id && control.label == spec.label && control.type == spec.controlType, "control row ",
               i + 1, " is (0x", std::hex, control.id, std::dec, ", \"", control.label, "\", \"", control.type,
               "\"), expected ('", spec.idText, "', \"", spec.label, "\", \"", spec.controlType, "\")");
        expect(data.id == spec.id && data.label == spec.label && data.type == spec.dataType, "data row ", i + 1,
               " is (0x", std::hex, data.id, std::dec, ", \"", data.label, "\", \"", data.type, "\"), expected ('",
               spec.idText, "', \"", spec.label, "\", \"", spec.dataType, "\")");
    }
    expect(panel.get && panel.set, "the panel was described without its get and set callbacks");
    expect(panel.instance == instance, "the toolkit was handed another instance than the one shown");
    bool hinted = false, userData = false;
    for (const auto &[id, hintInstance] : panel.hints) hinted = hinted || (id == 0 && hintInstance == instance);
    for (const standin::PanelUserData &data : panel.userData)
        userData = userData || (data.id == PLIX_ID4('p', 'l', 'i', 'x') && data.valueAtCall == instance);
    expect(hinted, "the toolkit was not handed the instance with identifier 0");
    expect(userData, "the toolkit was not handed 'plix' with the address of a variable holding the instance");
}

void compareShown(const standin::PanelToolkit &toolkit, const void *panel, const SettingsModel &stored,
                  const std::string &after) {
    for (const ExpectedControl &control : panelControls) {
        const std::optional<PanelValue> expected = stored.shown(control.idText);
        if (!expected) continue;
        const PanelValue value = toolkit.readValue(panel, control.id);
        expect(value == *expected, "after ", after, ", '", control.idText, "' shows ", show(value), ", expected ",
               show(*expected));
    }
}

void compareBlock(const std::vector<std::string> &block, const SettingsModel &stored, const std::string &after) {
    for (const std::string &line : block) {
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::string keyword = line.substr(0, space);
        const double expected = stored.inBlock(keyword);
        if (std::isnan(expected)) continue; // Regist and keywords of no control
        const double saved = std::strtod(line.c_str() + space, nullptr);
        expect(std::fabs(saved - expected) <= 1e-6 + 1e-15 * std::fabs(expected), "after ", after,
               ", the block saves \"", line, "\", expected ", expected, ": an edit stored another setting");
    }
}

void checkFailures(ModuleSession &session, void *instance) {
    standin::PanelToolkit &toolkit = session.host.panels();
    const std::size_t panels = toolkit.panels().size();
    for (const int version : {3, 5}) {
        const standin::InterfaceActivation a = session.settingsPanel.activate(instance, version, untouchedSlot);
        expect(a.result == PLIX_ACTIVATE_BAD_VERSION && a.record.panel == untouchedSlot,
               "a panel asked for at version ", version, " returned ", a.result,
               " and wrote into the record; expected 1 and nothing written");
    }
    expect(toolkit.panels().size() == panels, "a panel asked for at a wrong version was built all the same");
    toolkit.setCreateFails(true);
    const standin::InterfaceActivation a = session.settingsPanel.activate(instance, 4, untouchedSlot);
    toolkit.setCreateFails(false);
    expect(a.result == PLIX_ACTIVATE_OK && a.record.panel == nullptr && a.record.options == nullptr &&
               a.record.command == nullptr,
           "when the toolkit cannot create the panel, the activation must return 0 with no panel, options or command");
}

void checkStrangers(ModuleSession &session, void *instance, const standin::PanelState &panel) {
    const std::vector<std::string> before = session.save(instance);
    double value = 12.5;
    for (const unsigned int id : {PLIX_ID4('l', 'k', 'a', 'g'), PLIX_ID4('z', 'z', 'z', 'z'), 0u}) {
        expect(panel.get(instance, id) == nullptr, "get for identifier 0x", std::hex, id, " gave a value");
        expect(panel.set(instance, id, &value) == 1, "set for identifier 0x", std::hex, id, " did not return 1");
    }
    expect(session.save(instance) == before, "setting 'lkag' or an unknown identifier changed the settings");
}

} // namespace

std::string checkPanel(CheckContext &context) {
    ModuleSession session(context.modulePath);
    CheckRandom &random = context.random;
    void *instance = session.createOn(1, static_cast<int>(random.between(1, 20)));
    standin::PanelToolkit &toolkit = session.host.panels();

    session.host.calls().clear();
    session.host.calls().setRecording(true);
    const standin::InterfaceActivation activation = session.settingsPanel.activate(instance, 4, untouchedSlot);
    session.host.calls().setRecording(false);
    expect(activation.result == PLIX_ACTIVATE_OK, "the panel's activation returned ", activation.result);
    expect(activation.record.panel && activation.record.panel != untouchedSlot,
           "the panel's activation built no panel");
    expect(activation.record.options == nullptr && activation.record.command == nullptr,
           "the panel's activation did not set the options and command entries to null");
    bool lookedUp = false;
    for (const standin::HostCall &call : session.host.calls().ofKind(standin::CallKind::Lookup))
        lookedUp = lookedUp || (call.name == PLIX_SERVICE_XPANEL && call.code == 0);
    expect(lookedUp, "the panel was built without looking up \"LWXPanel\" with use code 0");
    void *panelHandle = activation.record.panel;
    const standin::PanelState *panel = toolkit.find(panelHandle);
    expect(panel != nullptr, "the panel handed back is not the one the toolkit made");
    checkTables(instance, *panel);

    SettingsModel stored;
    compareShown(toolkit, panelHandle, stored, "creation");
    std::string last = "creation";
    for (int e = 1; e <= edits; ++e) {
        const ExpectedControl &control = panelControls[random.below(std::size(panelControls))];
        const PanelValue value = randomPanelValue(control, random);
        last = text("edit ", e, " ('", control.idText, "' = ", show(value), ")");
        expect(toolkit.enterValue(panelHandle, control.id, value) == 1, last, " did not return 1");
        stored.enter(control.idText, value);
        compareShown(toolkit, panelHandle, stored, last);
        if (e % editsBetweenSaves == 0) compareBlock(session.save(instance), stored, last);
    }
    checkStrangers(session, instance, *panel);
    checkFailures(session, instance);
    session.effect.destroy(instance);
    return text("tables, defaults and ", edits, " randomised edits");
}

} // namespace plix::validate
