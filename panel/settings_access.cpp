// The toolkit's get and set callbacks over one instance's settings.
#include <cstring>

#include "effect/launch.h"
#include "effect/spark_types.h"
#include "panel/panel.h"
#include "panel/panel_ids.h"

using namespace plix::panel;

namespace {

// The toolkit's value may sit at any address: copy rather than dereference.
template <class T>
void store(T &field, const void *value) noexcept {
    std::memcpy(&field, value, sizeof field);
}

} // namespace

void *getSetting(void *instance, unsigned int id) noexcept {
    if (!instance) return nullptr;
    SparkSettings &s = static_cast<EffectInstance *>(instance)->sparks;
    // Each pair shows sorted by returning the one or the other stored field;
    // storage keeps the user's order.
    switch (id) {
    case idV0Min: return s.v0Min < s.v0Max ? &s.v0Min : &s.v0Max; // also when v0Min <= 0
    case idV0Max: return s.v0Min < s.v0Max ? &s.v0Max : &s.v0Min;
    case idSpreadMin: return s.spreadMax > s.spreadMin ? &s.spreadMin : &s.spreadMax;
    case idSpreadMax: return s.spreadMin > s.spreadMax ? &s.spreadMin : &s.spreadMax;
    case idAgeMin: return s.ageMax > s.ageMin ? &s.ageMin : &s.ageMax;
    case idAgeMax: return s.ageMin > s.ageMax ? &s.ageMin : &s.ageMax;
    case idGravity: return &s.gravity;
    case idRecycle: return &s.recycle;
    case idBirthRate: return &s.birthRate;
    case idStartFrame: return &s.startFrame;
    case idAvoidPos: return s.avoidPos;
    default: return nullptr; // 'lkag' and unknown identifiers
    }
}

int setSetting(void *instance, unsigned int id, void *value) noexcept {
    if (!instance || !value) return 1;
    SparkSettings &s = static_cast<EffectInstance *>(instance)->sparks;
    // Stored as entered, without range or order checks. The bounds redraw
    // their launch data on every edit, also when the value is unchanged.
    switch (id) {
    case idV0Min: store(s.v0Min, value); randomiseVelocities(s); break;
    case idV0Max: store(s.v0Max, value); randomiseVelocities(s); break;
    case idSpreadMin: store(s.spreadMin, value); randomiseVelocities(s); break;
    case idSpreadMax: store(s.spreadMax, value); randomiseVelocities(s); break;
    case idAgeMin: store(s.ageMin, value); randomiseLifetimes(s); break;
    case idAgeMax: store(s.ageMax, value); randomiseLifetimes(s); break;
    case idGravity: store(s.gravity, value); break;
    case idRecycle: store(s.recycle, value); break;
    case idBirthRate: store(s.birthRate, value); break;
    case idStartFrame: store(s.startFrame, value); break;
    case idAvoidPos: store(s.avoidPos, value); break;
    default: break; // 'lkag' and unknown identifiers
    }
    return 1;
}
