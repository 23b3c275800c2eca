// Activation results of both servers: version 4 with every service fills the
// record, other versions give 1, a missing service gives 2 whatever the
// version; the three services are looked up in order, each with use code 0.
#include <array>
#include <string>
#include <vector>

#include "checks/checks.h"
#include "module_session.h"

namespace plix::validate {
namespace {

using standin::Service;

struct Case {
    int version;
    Service withheld; // Service::Global stands for none withheld
    int result;
};
constexpr Case cases[] = {
    {4, Service::Global, PLIX_ACTIVATE_OK},
    {3, Service::Global, PLIX_ACTIVATE_BAD_VERSION},
    {5, Service::Global, PLIX_ACTIVATE_BAD_VERSION},
    {0, Service::Global, PLIX_ACTIVATE_BAD_VERSION},
    {4, Service::ObjectInfo, PLIX_ACTIVATE_MISSING_SERVICE},
    {4, Service::ItemInfo, PLIX_ACTIVATE_MISSING_SERVICE},
    {4, Service::Particles, PLIX_ACTIVATE_MISSING_SERVICE},
    {3, Service::Particles, PLIX_ACTIVATE_MISSING_SERVICE},
    {5, Service::ObjectInfo, PLIX_ACTIVATE_MISSING_SERVICE},
};

std::string describeCase(const Case &c) {
    std::string text = "version " + std::to_string(c.version);
    if (c.withheld != Service::Global) text += std::string(" without \"") + standin::serviceName(c.withheld) + "\"";
    return text;
}

template <std::size_t N> void fillUntouched(std::array<void *, N> &table) { table.fill(untouchedSlot); }

// Which of the record's slots hold an entry after the activation.
struct Written {
    std::vector<std::string> filled, untouchedSlots;
};

Written inspect(standin::HandlerServer &effect) {
    Written written;
    const auto look = [&](void *slot, const std::string &name) {
        (slot == untouchedSlot ? written.untouchedSlots : written.filled).push_back(name);
    };
    for (int s = 0; s < PLIX_INSTANCE_TABLE_SLOTS; ++s)
        look(effect.instanceTable()[s], "instance slot " + std::to_string(s));
    for (int s = 0; s < PLIX_ITEM_TABLE_SLOTS; ++s) look(effect.itemTable()[s], "item slot " + std::to_string(s));
    for (int s = 0; s < PLIX_RENDER_TABLE_SLOTS; ++s) look(effect.renderTable()[s], "render slot " + std::to_string(s));
    look(effect.record().evaluate, "evaluate");
    look(effect.record().flags, "flags");
    return written;
}

std::string list(const std::vector<std::string> &names) {
    std::string text;
    for (const std::string &name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

void checkLookups(const standin::CallLog &log, const std::string &what) {
    static const char *const order[] = {PLIX_SERVICE_OBJECT_INFO, PLIX_SERVICE_ITEM_INFO, PLIX_SERVICE_PARTICLES};
    const std::vector<standin::HostCall> lookups = log.ofKind(standin::CallKind::Lookup);
    std::string asked;
    for (const standin::HostCall &call : lookups) asked += (asked.empty() ? "\"" : ", \"") + call.name + "\"";
    expect(lookups.size() == std::size(order), what, ": looked up ", lookups.size(), " services (", asked,
           "), expected the three in order");
    for (std::size_t i = 0; i < lookups.size(); ++i) {
        expect(lookups[i].name == order[i], what, ": lookup ", i + 1, " asked for \"", lookups[i].name,
               "\", expected \"", order[i], "\" (order: ", asked, ")");
        expect(lookups[i].code == 0, what, ": \"", lookups[i].name, "\" looked up with use code ", lookups[i].code,
               ", expected 0");
    }
}

void checkHandlerCase(ModuleSession &session, const Case &c) {
    standin::HandlerServer effect(session.module, session.host);
    fillUntouched(effect.instanceTable());
    fillUntouched(effect.itemTable());
    fillUntouched(effect.renderTable());
    effect.record().evaluate = untouchedSlot;
    effect.record().flags = untouchedSlot;
    for (Service s : {Service::ObjectInfo, Service::ItemInfo, Service::Particles}) session.host.offer(s);
    if (c.withheld != Service::Global) session.host.withhold(c.withheld);
    session.host.calls().clear();
    session.host.calls().setRecording(true);

    const std::string what = "effect activation, " + describeCase(c);
    const int result = effect.activate(c.version);
    session.host.calls().setRecording(false);
    expect(result == c.result, what, ": returned ", result, ", expected ", c.result);
    checkLookups(session.host.calls(), what);

    const Written written = inspect(effect);
    if (c.result == PLIX_ACTIVATE_OK) {
        const std::vector<std::string> expectedUntouched{"instance slot 0"};
        expect(written.untouchedSlots == expectedUntouched, what, ": left unwritten: ", list(written.untouchedSlots),
               "; expected every entry but instance slot 0");
    } else {
        expect(written.filled.empty(), what, ": wrote ", list(written.filled), " although it failed");
    }
}

void checkInterfaceVersions(ModuleSession &session) {
    void *instance = session.createOn(1, 4);
    for (const int version : {3, 5, 0}) {
        const standin::InterfaceActivation activation =
            session.settingsPanel.activate(instance, version, untouchedSlot);
        expect(activation.result == PLIX_ACTIVATE_BAD_VERSION, "panel activation, version ", version, ": returned ",
               activation.result, ", expected 1");
        const DisplacementInterface &r = activation.record;
        expect(r.instance == instance && r.panel == untouchedSlot && r.options == untouchedSlot &&
                   r.command == untouchedSlot,
               "panel activation, version ", version, ": wrote into the record although it failed");
    }
    const standin::InterfaceActivation activation = session.settingsPanel.activate(instance, 4, untouchedSlot);
    expect(activation.result == PLIX_ACTIVATE_OK, "panel activation, version 4: returned ", activation.result,
           ", expected 0");
    expect(activation.record.options == nullptr && activation.record.command == nullptr,
           "panel activation, version 4: the options and command entries are not set to null");
    session.effect.destroy(instance);
}

} // namespace

std::string checkActivation(CheckContext &context) {
    ModuleSession session(context.modulePath, false);
    for (const Case &c : cases) checkHandlerCase(session, c);
    // A last good activation, so the effect's entries work for the panel.
    for (Service s : {Service::ObjectInfo, Service::ItemInfo, Service::Particles}) session.host.offer(s);
    expect(session.effect.activate(PLIX_INTERFACE_VERSION) == PLIX_ACTIVATE_OK, "effect activation failed");
    checkInterfaceVersions(session);
    return text(std::size(cases), " effect activations and 4 panel activations");
}

} // namespace plix::validate
