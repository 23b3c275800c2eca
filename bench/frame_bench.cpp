// Timing of the module through its binary interface, beside two anchor
// modules loaded the same way: "calls" makes only the host calls a frame with
// every spark in flight must make, "plain" is the effect's formulas as
// written. A frame (new-time, then one evaluate per point) with every spark
// in flight, read by the host field by field and as one block; the launch
// draws of a panel edit; the scene block and instance creation. The frame
// table with both ratios, all from this run, is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/cheap_host.h"
#include "bench/ratio_reporter.h"
#include "plix/host/service_abi.h"

namespace {

using plix::bench::CheapHost;
using plix::bench::PositionReading;

constexpr unsigned int idV0Min = PLIX_ID4('v', 'm', 'i', 'n');
constexpr unsigned int idAgeMin = PLIX_ID4('a', 'g', 'm', 'n');
constexpr unsigned int idBirthRate = PLIX_ID4('r', 'a', 't', 'e');

constexpr unsigned int idAgeMax = PLIX_ID4('a', 'g', 'm', 'x');
constexpr unsigned int idStartFrame = PLIX_ID4('s', 'p', 'r', 'k');

// The module built with the benchmarks (or another build of it named by
// PLIX_BENCH_MODULE, to time two builds against the same anchors), and the
// two anchors.
enum Module { ours, callsAlone, plainFormulas };
const char *const moduleNames[] = {"ours", "calls", "plain"};

const char *modulePath(Module m) {
    if (m == callsAlone) return PLIX_ANCHOR_CALLS_PATH;
    if (m == plainFormulas) return PLIX_ANCHOR_PLAIN_PATH;
    const char *other = std::getenv("PLIX_BENCH_MODULE");
    return other ? other : PLIX_MODULE_PATH;
}

CheapHost &host(Module m = ours) {
    static CheapHost *hosts[3] = {};
    if (!hosts[m]) hosts[m] = new CheapHost(modulePath(m));
    return *hosts[m];
}

// One instance per module and point count, kept for the whole run: creating
// 10^7 sparks costs more than a frame.
void *instanceOf(int pointCount, Module m = ours) {
    static std::map<std::pair<int, int>, void *> instances;
    void *&instance = instances[{m, pointCount}];
    if (!instance) instance = host(m).create(pointCount);
    return instance;
}

void perSpark(benchmark::State &state, int count) {
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["per_spark"] = benchmark::Counter(
        static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Every spark in flight in every frame from 300 on: 30 births a second make
// the emission period N frames, so each spark is born again every N frames;
// emission began N + 10 frames before frame 0 and a lifetime of 2^30 frames
// outlasts any cycle. The host's time is half a frame after the frame's
// start, so the spark born in this very frame has flown too.
void allInFlight(void *instance, int count, Module m) {
    const int rate = 30, age = 1 << 30, start = -(count + 10);
    CheapHost &h = host(m);
    h.setSetting(instance, idBirthRate, &rate);
    h.setSetting(instance, idAgeMin, &age);
    h.setSetting(instance, idAgeMax, &age);
    h.setSetting(instance, idStartFrame, &start);
}

double timeOfFrame(int f) { return (f + 0.5) / 30.0; }

void frame(benchmark::State &state, int count, Module m, PositionReading reading) {
    void *instance = instanceOf(count, m);
    allInFlight(instance, count, m);
    CheapHost &h = host(m);
    int f = 300;
    h.frame(instance, f, timeOfFrame(f), count, reading); // sizes the host's arrays
    for (auto _ : state) {
        f = f >= 599 ? 300 : f + 1;
        h.frame(instance, f, timeOfFrame(f), count, reading);
        benchmark::ClobberMemory();
    }
    perSpark(state, count);
}

void launchEdit(benchmark::State &state, int count, unsigned int id) {
    void *instance = instanceOf(count);
    const double speed = 1.0;
    const int age = 10;
    for (auto _ : state) {
        host().setSetting(instance, id, id == idV0Min ? static_cast<const void *>(&speed) : &age);
        benchmark::ClobberMemory();
    }
    perSpark(state, count);
}

void sceneSave(benchmark::State &state) {
    void *instance = instanceOf(1000);
    for (auto _ : state) benchmark::DoNotOptimize(host().save(instance));
}

// Loading draws all launch data again, so it is counted per point.
void sceneLoad(benchmark::State &state, int count) {
    void *instance = instanceOf(count);
    const std::string block = host().save(instance);
    for (auto _ : state) {
        host().load(instance, block.c_str());
        benchmark::ClobberMemory();
    }
    perSpark(state, count);
}

void createDestroy(benchmark::State &state, int count) {
    for (auto _ : state) host().destroy(host().create(count));
    perSpark(state, count);
}

void registerAll() {
    const std::pair<PositionReading, const char *> readings[] = {{PositionReading::fieldByField, "field"},
                                                                 {PositionReading::asOneBlock, "block"}};
    for (int count : {1000, 10000, 100000, 1000000, 10000000}) {
        const std::string n = std::to_string(count);
        for (const auto &[reading, readName] : readings)
            for (Module m : {ours, callsAlone, plainFormulas})
                benchmark::RegisterBenchmark(
                    ("frame/" + std::string(readName) + "/" + moduleNames[m] + "/" + n).c_str(), frame,
                    count, m, reading);
    }
    for (int count : {10000, 1000000}) {
        const std::string n = std::to_string(count);
        benchmark::RegisterBenchmark(("edit_vmin/" + n).c_str(), launchEdit, count, idV0Min);
        benchmark::RegisterBenchmark(("edit_agmn/" + n).c_str(), launchEdit, count, idAgeMin);
        benchmark::RegisterBenchmark(("scene_load/" + n).c_str(), sceneLoad, count);
        benchmark::RegisterBenchmark(("create/" + n).c_str(), createDestroy, count);
    }
    benchmark::RegisterBenchmark("scene_save", sceneSave);
}

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    registerAll();
    plix::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
