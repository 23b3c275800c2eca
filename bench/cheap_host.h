// A cheap stand-in host for timing the module: one static object with
// identity axes at a fixed position, a particle system whose set-particle
// copies into plain arrays, and a settings panel whose set callback is kept.
// It loads plix6.p and reaches it only through _mod_descrip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plix/host/handler_abi.h"
#include "plix/host/plugin_abi.h"
#include "plix/platform/module_library.h"

namespace plix::bench {

// What the particle system holds after a frame.
struct ParticleArrays {
    std::vector<float> positions; // 3 per particle
    std::vector<float> ages;
    std::vector<uint8_t> enabled;
};

// How a host takes the evaluated position out of the access record: hosts
// differ, and the module's stores are forwarded to some loads only.
enum class PositionReading {
    fieldByField, // three 8-byte loads
    asOneBlock,   // one 24-byte copy (a 16-byte and an 8-byte load)
};

class CheapHost {
public:
    // Loads the module and activates its handler; aborts on failure.
    explicit CheapHost(const char *modulePath);

    // An instance on an object of `pointCount` points, and its destruction.
    void *create(int pointCount);
    void destroy(void *instance);

    // Stores a setting through the panel's set callback, as an edit does.
    void setSetting(void *instance, unsigned int id, const void *value);

    // One frame as the host plays it: new-time, then one evaluate per point,
    // each displaced position stored in `displaced` (3 doubles per point).
    void frame(void *instance, int frameNumber, double time, int pointCount,
               PositionReading reading = PositionReading::fieldByField);

    const char *save(void *instance);             // returns the block written
    void load(void *instance, const char *block); // reads a block back

    ParticleArrays particles;
    std::vector<double> displaced;

private:
    platform::ModuleLibrary module_; // loaded for the host's whole life
    NewTimeEntry *newTime_ = nullptr;
    EvaluateEntry *evaluate_ = nullptr;
    CreateEntry *create_ = nullptr;
    DestroyEntry *destroy_ = nullptr;
    LoadEntry *load_ = nullptr;
    SaveEntry *save_ = nullptr;
    ActivateFunc *activateInterface_ = nullptr;
};

} // namespace plix::bench
