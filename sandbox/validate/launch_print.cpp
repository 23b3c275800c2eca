#include "launch_print.h"

namespace plix::validate {

std::vector<Vec3> launchPrint(ModuleSession &session, void *instance, int points) {
    static constexpr int frames[] = {0, 4, 9, 15, 22, 31, 40, 52, 66, 80};
    std::vector<Vec3> print;
    for (const int f : frames) {
        const std::vector<Vec3> positions = session.frame(instance, f, 30.0, points);
        print.insert(print.end(), positions.begin(), positions.end());
    }
    return print;
}

} // namespace plix::validate
