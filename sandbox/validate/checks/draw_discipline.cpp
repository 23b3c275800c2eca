// Random numbers are drawn where the launch data needs them and nowhere else:
// a load and an edit of a speed, spread or age bound draw (also when the value
// does not change); frames, saves, describe, the quiet entries, the panel's
// reads and the edits of every other control draw nothing. Each action runs in
// a fresh thread between two creations; the second creation tells whether the
// action moved the thread's sequence on.
#include <functional>
#include <thread>

#include "checks/checks.h"
#include "launch_fingerprint.h"
#include "panel_controls.h"

namespace plix::validate {
namespace {

constexpr int actedOnPoints = 8;
constexpr int probePoints = 12;

using Action = std::function<void(ModuleSession &, void *instance)>;

struct Case {
    const char *what;
    bool draws;
    Action action;
};

Action setControl(const char *id, standin::PanelValue value) {
    return [id, value](ModuleSession &session, void *instance) {
        session.host.panels().enterValue(session.panelFor(instance), idOf(id), value);
    };
}

std::vector<Case> cases() {
    return {
        {"nothing", false, [](ModuleSession &, void *) {}},
        {"new-time and evaluate", false,
         [](ModuleSession &s, void *i) {
             for (int f = 0; f < 40; f += 3) s.frame(i, f, 30.0, actedOnPoints);
         }},
        {"save", false, [](ModuleSession &s, void *i) { s.save(i); }},
        {"describe and flags", false,
         [](ModuleSession &s, void *i) {
             s.effect.describe(i);
             s.effect.flags(i);
         }},
        {"use-items, change-id, render-init and render-cleanup", false,
         [](ModuleSession &s, void *i) {
             s.effect.useItems(i);
             const void *ids[] = {nullptr};
             s.effect.changeId(i, ids);
             s.effect.renderInit(i, 0);
             s.effect.renderCleanup(i);
         }},
        {"building the panel and reading every control", false,
         [](ModuleSession &s, void *i) { s.host.panels().listControls(s.panelFor(i)); }},
        {"setting 'grav'", false, setControl("grav", 4.5)},
        {"setting 'recy'", false, setControl("recy", 0)},
        {"setting 'rate'", false, setControl("rate", 75)},
        {"setting 'sprk'", false, setControl("sprk", 3)},
        {"setting 'avoi'", false, setControl("avoi", Vec3{1.0, 2.0, 3.0})},
        {"setting 'lkag'", false, setControl("lkag", 1)},
        {"a load whose first line is not PLIX_START", false,
         [](ModuleSession &s, void *i) {
             s.load(i, {"PLIX_END", "V0Min 3.000000", "PLIX_END"});
         }},
        {"a load", true, [](ModuleSession &s, void *i) { s.load(i, s.save(i)); }},
        {"setting 'vmin' to its value", true, setControl("vmin", 1.0)},
        {"setting 'vmax' to its value", true, setControl("vmax", 4.0)},
        {"setting 'spmn' to its value", true, setControl("spmn", 0)},
        {"setting 'spmx' to its value", true, setControl("spmx", 180)},
        {"setting 'agmn' to its value", true, setControl("agmn", 10)},
        {"setting 'agmx' to its value", true, setControl("agmx", 60)},
    };
}

// In a fresh thread: create, act, create again; the print of the second instance.
std::vector<Vec3> probe(ModuleSession &session, const Action &action, std::uintptr_t &item) {
    void *second = nullptr;
    std::string error;
    std::thread thread([&] {
        try {
            void *first = session.createOn(item, actedOnPoints);
            action(session, first);
            second = session.createOn(item + 1, probePoints);
            session.effect.destroy(first);
        } catch (const CheckFailure &failure) {
            error = failure.what();
        }
    });
    thread.join();
    item += 2;
    expect(error.empty(), error);
    std::vector<Vec3> print = launchFingerprint(session, second, probePoints);
    session.effect.destroy(second);
    return print;
}

} // namespace

std::string checkDrawDiscipline(CheckContext &context) {
    ModuleSession session(context.modulePath);
    const std::vector<Case> all = cases();
    std::uintptr_t item = 10;
    const std::vector<Vec3> baseline = probe(session, all[0].action, item);
    for (const Case &c : all) {
        const bool drew = !samePositions(probe(session, c.action, item), baseline);
        if (drew && !c.draws) {
            // Tell a fault of the action from fresh threads that do not share a start.
            expect(samePositions(probe(session, all[0].action, item), baseline),
                   "two fresh threads doing the same thing drew different sequences (see the threads check)");
            fail(c.what, " drew random numbers; only creation, loads and the six bound edits may draw");
        }
        expect(drew == c.draws, c.what, " drew nothing; it must draw the launch data again");
    }
    return text(all.size(), " actions, each between two creations in a fresh thread");
}

} // namespace plix::validate
