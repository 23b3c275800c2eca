// A literal, unoptimised rendering of the effect's launch draws, birth
// schedule and frame simulation, one formula per line as the effect defines
// them, over plain spark records of its own (one record per spark, every
// field the effect names) with 32-bit wrapping arithmetic and every extreme
// setting. The settings are read from the module's SparkSettings. The unit
// tests compare the optimised module code against it bit for bit, and the
// benchmarks time it as the plain module.
//
// tests/abi/spark_model.h is a second, smaller model on purpose: the tests
// through the binary interface predict sparks from what a host sees (the
// object's position and axes, the saved settings) and must not depend on the
// module's internal records, which this model works on. Both are checked
// against the same module, so a fault in one model shows as a failure there.
#pragma once

#include <cstdint>
#include <vector>

#include "effect/spark_types.h"

namespace plix::reference {

// One spark as the effect describes it.
struct Spark {
    double pos[3];
    double velocity[3];
    int32_t lifetime;
    uint8_t dead;
    double age;
    double birthTime;
};
using Sparks = std::vector<Spark>; // settings.pointCount of them

// The generator on an explicit state: state x 214013 + 2531011, bits 16..30.
int drawRandom(uint32_t &state);

void randomiseVelocities(const SparkSettings &settings, Sparks &sparks, uint32_t &state);
void randomiseLifetimes(const SparkSettings &settings, Sparks &sparks, uint32_t &state);

// Schedule of spark `index` with lifetime `lifetime` under the settings'
// frame, time and birth settings. `birthTime` is left alone when nothing is
// ever born (birth rate 0).
struct Schedule {
    uint8_t dead;
    bool hasBirthTime;
    double birthTime;
};
Schedule scheduleOne(const SparkSettings &sparks, int32_t index, int32_t lifetime);

// The host's item parameter, as the simulation calls it.
using ItemParam = void (*)(void *item, int code, double time, double out[3]);

// Every spark, in order: parking, schedule, flight.
void simulateSparks(const SparkSettings &settings, Sparks &sparks, ItemParam itemParam);

// The values new-time hands the particle system for one spark.
struct Published {
    float position[3];
    float age;
};
Published publish(const Spark &spark);

} // namespace plix::reference
