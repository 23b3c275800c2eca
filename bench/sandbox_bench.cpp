// The sandbox's play, per frame, without outputs: the built-in scene (an
// emitter of 3000 points) played frame after frame through the stand-in host,
// with no preview, particle cache or saved scene.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "player/default_scene.h"
#include "player/scene_effects.h"
#include "scene/scene_reader.h"

namespace {

void sandboxPlay(benchmark::State &state) {
    const char *other = std::getenv("PLIX_BENCH_MODULE");
    const plix::scene::Scene scene = plix::scene::readSceneText(
        plix::sandbox::defaultSceneText(), plix::sandbox::defaultSceneName, PLIX_EXAMPLES_DIR);
    plix::sandbox::SceneEffects effects(scene, other ? other : PLIX_MODULE_PATH);
    int sparks = 0;
    for (const auto &effect : effects.effects()) sparks += effect.pointCount;
    int frame = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(effects.playFrame(frame));
        frame = frame >= 149 ? 0 : frame + 1;
    }
    state.SetItemsProcessed(state.iterations() * sparks);
}
BENCHMARK(sandboxPlay)->Name("sandbox_play/default_scene");

} // namespace
