#include "check_registry.h"

#include "checks/checks.h"

namespace plix::validate {
namespace {

constexpr CheckInfo registry[] = {
    {"exports", "the module file exports _mod_descrip and nothing else", checkExports},
    {"descriptor", "descriptor fields, startup and shutdown, the server table", checkDescriptor},
    {"activation", "activation results for versions and missing services; lookup order", checkActivation},
    {"lifecycle", "create, copy and destroy; the particle system; the entries that do nothing", checkLifecycle},
    {"describe", "describe returns the module's text in the instance's own buffer", checkDescribe},
    {"state", "randomised settings saved, loaded into a new instance and saved again are identical",
     checkStateRoundTrip},
    {"frame-order", "a frame asked alone or out of order equals the same frame asked in sequence", checkFrameOrder},
    {"threads", "each thread draws its own sequence from seed 1, undisturbed by other threads", checkThreads},
    {"draw-discipline", "only creation, loads and the six bound edits draw random numbers", checkDrawDiscipline},
    {"hostile-blocks", "hostile scene blocks load without a crash and every load ends", checkHostileBlocks},
    {"panel", "panel tables, and get/set round trips of every control", checkPanel},
    {"evaluate-bounds", "evaluate beyond the point count is safe and hands out the last spark", checkEvaluateBounds},
};

} // namespace

std::span<const CheckInfo> allChecks() { return registry; }

const CheckInfo *findCheck(std::string_view name) {
    for (const CheckInfo &check : registry)
        if (check.name == name) return &check;
    return nullptr;
}

} // namespace plix::validate
