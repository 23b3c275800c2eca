// Scenes of many small objects: the stand-in host set up with one effect per
// object (create, load, panel) and one frame played, for growing object
// counts. Time per object stays flat when every host lookup is by handle;
// the fitted complexity is printed as "BigO".
#include <benchmark/benchmark.h>

#include <string>

#include "player/scene_effects.h"
#include "scene/scene.h"

namespace {

plix::scene::Scene objectsOfOnePoint(int count) {
    plix::scene::Scene scene;
    scene.objects.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        plix::scene::SceneObject &object = scene.objects[static_cast<std::size_t>(i)];
        object.name = "o" + std::to_string(i);
        object.pointCount = 1;
        object.effects.emplace_back();
    }
    return scene;
}

void setUpAndPlayOneFrame(benchmark::State &state) {
    const plix::scene::Scene scene = objectsOfOnePoint(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        plix::sandbox::SceneEffects effects(scene, PLIX_MODULE_PATH);
        benchmark::DoNotOptimize(effects.playFrame(0));
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(setUpAndPlayOneFrame)
    ->Name("scene_scale/objects_of_one_point")
    ->RangeMultiplier(2)
    ->Range(2000, 32000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
