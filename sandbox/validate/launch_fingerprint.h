// A fingerprint of an instance's launch data: the positions of its sparks over
// a run of frames on an object that moves and turns, under default settings.
// Equal fingerprints mean equal launch velocities and lifetimes in practice.
#pragma once

#include <vector>

#include "module_session.h"

namespace plix::validate {

std::vector<Vec3> launchFingerprint(ModuleSession &session, void *instance, int points);

} // namespace plix::validate
