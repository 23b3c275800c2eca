// Timing of the module through its binary interface: a frame (new-time, then
// one evaluate per point) with most sparks in flight and at the default birth
// rate, the memory floor of a frame, the launch draws of a panel edit, the
// scene block and instance creation. Frame figures are also printed as
// ratios to the floor measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
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

// The module built with the benchmarks, or another build of it named by
// PLIX_BENCH_MODULE (to time two builds with the same host and floor).
const char *modulePath() {
    const char *other = std::getenv("PLIX_BENCH_MODULE");
    return other ? other : PLIX_MODULE_PATH;
}

CheapHost &host() {
    static CheapHost instance(modulePath());
    return instance;
}

// One instance per point count, kept for the whole run: creating 10^7
// sparks costs more than a frame.
void *instanceOf(int pointCount) {
    static std::map<int, void *> instances;
    void *&instance = instances[pointCount];
    if (!instance) instance = host().create(pointCount);
    return instance;
}

void setBirthRate(void *instance, int rate) { host().setSetting(instance, idBirthRate, &rate); }

void perSpark(benchmark::State &state, int count) {
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["per_spark"] = benchmark::Counter(
        static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Frames from 300 on, at 30 per second. With a birth rate of N per second the
// emission period is 30 frames and most sparks are in flight; at the default
// rate of 60 almost all are parked.
void frame(benchmark::State &state, int count, int rate, PositionReading reading) {
    void *instance = instanceOf(count);
    setBirthRate(instance, rate);
    CheapHost &h = host();
    int f = 300;
    h.frame(instance, f, f / 30.0, count, reading); // sizes the host's arrays
    for (auto _ : state) {
        f = f >= 599 ? 300 : f + 1;
        h.frame(instance, f, f / 30.0, count, reading);
        benchmark::ClobberMemory();
    }
    perSpark(state, count);
}

// A spark as the module keeps it: 72 bytes (position, launch velocity,
// lifetime and flag, age, birth time). The floor reads records of this size
// of its own (their values do not change what it moves): the module's are not
// reachable through its binary interface.
struct SparkRecord {
    double pos[3];
    double velocity[3];
    int32_t lifetime;
    uint8_t dead;
    double age;
    double birthTime;
};
static_assert(sizeof(SparkRecord) == 72);

// The least a frame must move: read every spark record once and write what a
// frame hands out, 24 bytes of position and 12 + 4 + 1 bytes of particle data.
void memoryFloor(benchmark::State &state, int count) {
    void *instance = instanceOf(count);
    CheapHost &h = host();
    h.frame(instance, 300, 10.0, count); // sizes the host's arrays
    const std::vector<SparkRecord> records(static_cast<size_t>(count));
    const SparkRecord *points = records.data();
    for (auto _ : state) {
        double *displaced = h.displaced.data();
        float *positions = h.particles.positions.data();
        float *ages = h.particles.ages.data();
        uint8_t *enabled = h.particles.enabled.data();
        for (int i = 0; i < count; ++i) {
            if (i + 32 < count) __builtin_prefetch(points + i + 32);
            const SparkRecord &p = points[i];
            for (int k = 0; k < 3; ++k) {
                displaced[3 * i + k] = p.pos[k];
                positions[3 * i + k] = static_cast<float>(p.pos[k]);
            }
            ages[i] = static_cast<float>(p.age);
            enabled[i] = static_cast<uint8_t>(p.lifetime);
        }
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
    for (int count : {1000, 10000, 100000, 1000000, 10000000}) {
        const std::string n = std::to_string(count);
        benchmark::RegisterBenchmark(("floor/" + n).c_str(), memoryFloor, count);
        benchmark::RegisterBenchmark(("frame_in_flight/" + n).c_str(), frame, count, count,
                                     PositionReading::fieldByField);
        benchmark::RegisterBenchmark(("frame_in_flight_block_read/" + n).c_str(), frame, count, count,
                                     PositionReading::asOneBlock);
        benchmark::RegisterBenchmark(("frame_default_rate/" + n).c_str(), frame, count, 60,
                                     PositionReading::fieldByField);
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
