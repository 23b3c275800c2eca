// Settings survive the scene file: randomised edits through the panel, saved,
// loaded into a new instance and saved again give the same block, byte for byte.
#include <iterator>

#include "checks/checks.h"
#include "module_session.h"
#include "panel_controls.h"

namespace plix::validate {
namespace {

constexpr int rounds = 16;
constexpr std::size_t blockLines = 16;

void checkBlockShape(const std::vector<std::string> &block) {
    expect(block.size() == blockLines, "the save entry wrote ", block.size(),
           " lines, expected 16: ", joinLines(block));
    expect(block.front() == "PLIX_START" && block.back() == "PLIX_END",
           "the saved block does not run from PLIX_START to PLIX_END: ", joinLines(block));
}

// Edits through the panel, as a user would; returns what was entered.
std::string editRandomly(ModuleSession &session, void *panel, CheckRandom &random) {
    std::string edits;
    const int count = static_cast<int>(random.between(4, 24));
    for (int e = 0; e < count; ++e) {
        // The eleven bound controls, and now and then the unbound 'lkag'.
        const ExpectedControl &control =
            panelControls[random.below(std::size(panelControls) - (random.chance(90) ? 1 : 0))];
        const standin::PanelValue value = randomPanelValue(control, random);
        const std::optional<int> result = session.host.panels().enterValue(panel, control.id, value);
        expect(result == 1, "setting '", control.idText, "' through the panel did not return 1");
        edits += (edits.empty() ? "" : " ") + std::string(control.idText);
    }
    return edits;
}

std::string firstDifference(const std::vector<std::string> &a, const std::vector<std::string> &b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return "\"" + a[i] + "\" came back as \"" + b[i] + "\"";
    return "the blocks differ in length";
}

} // namespace

std::string checkStateRoundTrip(CheckContext &context) {
    ModuleSession session(context.modulePath);
    CheckRandom &random = context.random;
    void *fresh = session.createOn(1, 3);
    const std::vector<std::string> defaults = session.save(fresh);
    checkBlockShape(defaults);
    session.effect.destroy(fresh);

    for (int round = 0; round < rounds; ++round) {
        const auto item = static_cast<std::uintptr_t>(10 + 2 * round);
        void *edited = session.createOn(item, static_cast<int>(random.between(0, 40)));
        const std::string edits = editRandomly(session, session.panelFor(edited), random);
        const std::vector<std::string> saved = session.save(edited);
        checkBlockShape(saved);
        expect(saved != defaults, "round ", round + 1, ": the panel edits (", edits,
               ") do not show in the saved block, which still holds the defaults");

        void *loaded = session.createOn(item + 1, static_cast<int>(random.between(0, 40)));
        session.load(loaded, saved);
        const std::vector<std::string> again = session.save(loaded);
        expect(again == saved, "round ", round + 1, " (edits ", edits, "): after loading into a new instance, ",
               firstDifference(saved, again));
        session.effect.destroy(loaded);
        session.effect.destroy(edited);
    }
    return text(rounds, " rounds of randomised panel edits saved, loaded and saved again");
}

} // namespace plix::validate
