// A module loaded into a stand-in host of its own, as the checks use it: the
// file opened through its descriptor, the effect server activated, objects
// that move and turn, instances, frames, blocks and panels.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "plix/standin/standin.h"

namespace plix::validate {

using geometry::Vec3;

// World position and axes of the objects the checks use: every object moves
// and turns the same way, so that launch data shows in the positions.
Vec3 movingPosition(double time);
geometry::Axes movingAxes(double time);

// The module file did not load (not a module, no descriptor, a faulty
// descriptor): every check that loads it would fail the same way.
class ModuleDidNotLoad : public CheckFailure {
public:
    using CheckFailure::CheckFailure;
};

class ModuleSession {
public:
    // Opens the module; with `activateEffect`, activates the effect server at
    // version 4 with every service offered. Failures end the check; a file
    // that does not load throws ModuleDidNotLoad.
    explicit ModuleSession(const std::string &modulePath, bool activateEffect = true);
    ModuleSession(const ModuleSession &) = delete;
    ModuleSession &operator=(const ModuleSession &) = delete;

    standin::StandinHost host;
    standin::ModuleFile module;
    standin::HandlerServer effect{module, host};
    standin::InterfaceServer settingsPanel{module, host};

    // Adds a moving object of `points` points as item `itemNumber` (not 0) and
    // creates an instance on it; a missing instance ends the check.
    void *createOn(std::uintptr_t itemNumber, int points);

    // The scene block the save entry writes, one line per write; every write
    // must count its text and terminating zero.
    std::vector<std::string> save(void *instance);
    // Loads `lines` through a load state that serves them and then runs dry.
    void load(void *instance, const std::vector<std::string> &lines);

    // New-time for `frame` at `fps` frames per second, then `evaluations`
    // evaluate calls; the positions they handed out.
    std::vector<Vec3> frame(void *instance, int frame, double fps, int evaluations);

    // The positions the last new-time published to the instance's particles.
    std::vector<std::array<float, 3>> publishedPositions(std::uintptr_t itemNumber) const;

    // Builds the instance's settings panel; a missing panel ends the check.
    void *panelFor(void *instance);
};

// Written into a host record's fields before a call, so that the fields the
// call writes can be told from those it leaves alone.
inline void *const untouchedSlot = reinterpret_cast<void *>(static_cast<std::uintptr_t>(0x5EA1ED00));

// "1 point", "7 points".
std::string pointsText(int points);

// The lines of a block joined for a message.
std::string joinLines(const std::vector<std::string> &lines);

// True when both hold the same positions, bit for bit.
bool samePositions(const std::vector<Vec3> &a, const std::vector<Vec3> &b);

} // namespace plix::validate
