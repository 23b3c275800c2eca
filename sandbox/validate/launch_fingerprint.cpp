#include "launch_fingerprint.h"

namespace plix::validate {

std::vector<Vec3> launchFingerprint(ModuleSession &session, void *instance, int points) {
    static constexpr int frames[] = {0, 4, 9, 15, 22, 31, 40, 52, 66, 80};
    std::vector<Vec3> fingerprint;
    for (const int f : frames) {
        const std::vector<Vec3> positions = session.frame(instance, f, 30.0, points);
        fingerprint.insert(fingerprint.end(), positions.begin(), positions.end());
    }
    return fingerprint;
}

} // namespace plix::validate
