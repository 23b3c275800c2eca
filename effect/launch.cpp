#include "effect/launch.h"

#include <cstdint>

#include "effect/degree_table.h"
#include "effect/generator.h"
#include "effect/int32_math.h"

namespace {

// Each thread starts its own sequence at 1 the first time it draws. The
// validator's test module with one state for the whole process (the fault the
// threads check must find) is built with PLIX_GENERATOR_SHARED_BY_ALL_THREADS.
#ifdef PLIX_GENERATOR_SHARED_BY_ALL_THREADS
uint32_t randomState = 1;
#else
thread_local uint32_t randomState = 1;
#endif

using plix::CosSin;
using plix::DegreeTable;
using plix::DrawRemainder;
using plix::drawValue;
using plix::GeneratorJump;

constexpr GeneratorJump oneDraw = GeneratorJump::ahead(1);
constexpr GeneratorJump twoDraws = GeneratorJump::ahead(2);
constexpr GeneratorJump threeDraws = GeneratorJump::ahead(3);

// The launch data a velocity draw needs, formed once per call.
struct VelocityDraw {
    double v0Min;
    DrawRemainder speedSteps, spreadRange;
    int32_t elevationBase; // spreadMax - 90
};

// Every point's velocity. A point takes one draw for the speed when
// `speedDrawn`, one for the spread when `spreadDrawn`, one for the azimuth:
// its draws come from its own state by jumps, and the next point's state is
// one jump on. With `inTable` every elevation is known to lie in the table.
template <bool speedDrawn, bool spreadDrawn, bool inTable>
uint32_t drawVelocities(const VelocityDraw &d, SparkSettings &sparks, uint32_t state) noexcept {
    constexpr int drawsPerPoint = int{speedDrawn} + int{spreadDrawn} + 1;
    const GeneratorJump nextPoint = drawsPerPoint == 1 ? oneDraw : drawsPerPoint == 2 ? twoDraws : threeDraws;
    const int32_t count = sparks.pointCount;
    SparkPoint *points = sparks.points;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t draws[3] = {oneDraw(state), twoDraws(state), threeDraws(state)};
        int next = 0;
        const int32_t d1 = speedDrawn ? d.speedSteps.of(drawValue(draws[next++])) : 0;
        const double speed = static_cast<double>(d1) * 0.01 + d.v0Min;
        const int32_t e = spreadDrawn ? d.spreadRange.of(drawValue(draws[next++])) : 0;
        const int32_t azimuth = drawValue(draws[next]) % 360;
        const CosSin el = inTable ? DegreeTable::at(e - d.elevationBase)
                                  : DegreeTable::of(plix::wrapSub(e, d.elevationBase));
        const CosSin &az = DegreeTable::at(azimuth);
        double *v = points[i].velocity;
        v[0] = az.cos * el.cos * speed;
        v[1] = el.sin * speed;
        v[2] = az.sin * el.cos * speed;
        state = nextPoint(state);
    }
    return state;
}

template <bool speedDrawn, bool spreadDrawn>
uint32_t drawVelocities(const VelocityDraw &d, bool inTable, SparkSettings &sparks, uint32_t state) noexcept {
    return inTable ? drawVelocities<speedDrawn, spreadDrawn, true>(d, sparks, state)
                   : drawVelocities<speedDrawn, spreadDrawn, false>(d, sparks, state);
}

} // namespace

int drawRandom() noexcept {
    randomState = oneDraw(randomState);
    return drawValue(randomState);
}

void randomiseVelocities(SparkSettings &sparks) noexcept {
    using plix::wrapSub;
    if (sparks.pointCount <= 0) return;
    const int32_t speedSteps = plix::truncToInt32((sparks.v0Max - sparks.v0Min) * 100.0);
    const bool spreadDrawn = sparks.spreadMax != sparks.spreadMin;
    const int32_t spreadRange = wrapSub(sparks.spreadMax, sparks.spreadMin);
    const VelocityDraw d{sparks.v0Min, DrawRemainder(speedSteps), DrawRemainder(spreadRange),
                         wrapSub(sparks.spreadMax, 90)};
    // A spread draw is below min(|range|, 32768), so the elevations run from
    // -base up to that bound - 1 - base; within the table no test is needed.
    const int64_t range = spreadRange < 0 ? -static_cast<int64_t>(spreadRange) : spreadRange;
    const int64_t highestDraw = spreadDrawn ? (range < 32768 ? range : 32768) - 1 : 0;
    const bool inTable = DegreeTable::covers(-static_cast<int64_t>(d.elevationBase)) &&
                         DegreeTable::covers(highestDraw - d.elevationBase);
    uint32_t state = randomState;
    if (speedSteps != 0)
        state = spreadDrawn ? drawVelocities<true, true>(d, inTable, sparks, state)
                            : drawVelocities<true, false>(d, inTable, sparks, state);
    else
        state = spreadDrawn ? drawVelocities<false, true>(d, inTable, sparks, state)
                            : drawVelocities<false, false>(d, inTable, sparks, state);
    randomState = state;
}

void randomiseLifetimes(SparkSettings &sparks) noexcept {
    const int32_t count = sparks.pointCount;
    if (count <= 0) return;
    const int32_t ageMin = sparks.ageMin;
    SparkPoint *points = sparks.points;
    if (sparks.ageMax <= ageMin) { // no draw: every lifetime is ageMin (1 for 0)
        const int32_t lifetime = ageMin == 0 ? 1 : ageMin;
        for (int32_t i = 0; i < count; ++i) points[i].lifetime = lifetime;
        return;
    }
    const DrawRemainder range(plix::wrapSub(sparks.ageMax, ageMin));
    auto lifetimeOf = [&](uint32_t drawn) {
        const int32_t lifetime = plix::wrapAdd(ageMin, range.of(drawValue(drawn)));
        return lifetime == 0 ? 1 : lifetime;
    };
    // Two points a step: both states follow from the pair's start, and the
    // next pair's start is two draws on.
    uint32_t state = randomState;
    int32_t i = 0;
    for (; i + 1 < count; i += 2) {
        points[i].lifetime = lifetimeOf(oneDraw(state));
        state = twoDraws(state);
        points[i + 1].lifetime = lifetimeOf(state);
    }
    if (i < count) {
        state = oneDraw(state);
        points[i].lifetime = lifetimeOf(state);
    }
    randomState = state;
}
