// Set-up for settings panel tests through plix6.p: the module loaded and its
// effect activated, a DisplacementInterface server, and the panel as the
// stand-in toolkit keeps it.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "module_fixture.h"

namespace plix::test {

// 'vmin' from "vmin": first character in the most significant byte.
constexpr unsigned int panelId(const char *s) { return PLIX_ID4(s[0], s[1], s[2], s[3]); }

class PanelTest : public ModuleTest {
protected:
    // Activates the interface server for `instance`; the panel, or null.
    void *openPanel(void *instance) {
        const InterfaceActivation activation = panelServer.activate(instance);
        EXPECT_EQ(activation.result, PLIX_ACTIVATE_OK);
        return activation.record.panel;
    }

    PanelValue shown(const void *panel, const char *id) { return host.panels().readValue(panel, panelId(id)); }

    int enter(const void *panel, const char *id, const PanelValue &value) {
        return host.panels().enterValue(panel, panelId(id), value).value_or(-1);
    }

    // The saved value line of one keyword ("V0Min 5.000000").
    std::string savedLine(void *instance, const std::string &keyword) {
        LineSaveState stream;
        effect.save(instance, stream.state());
        for (const std::string &line : stream.lines())
            if (line.rfind(keyword + " ", 0) == 0) return line;
        return {};
    }

    // Every spark's position at frame 1, time 1.0 s: on an unmoved object at
    // the origin with gravity 0 this is the launch velocity itself.
    std::vector<Vec3> flightAtOneSecond(void *instance, int points) {
        effect.newTime(instance, 1, 1.0);
        return effect.evaluateAll(instance, points);
    }

    InterfaceServer panelServer{module, host};
};

} // namespace plix::test
