// The launch draws (generator jumps, remainders without division, the
// whole-degree cos/sin table) against the literal formulas, bit for bit, over ordinary and extreme
// settings, in one continuing random sequence.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "effect/degree_table.h"
#include "effect/generator.h"
#include "effect/launch.h"
#include "effect/spark_types.h"
#include "fresh_thread.h"
#include "reference_effect.h"
#include "test_instance.h"

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

struct LaunchCase {
    double v0Min, v0Max;
    int32_t spreadMin, spreadMax, ageMin, ageMax;
};

const LaunchCase kCases[] = {
    {1.0, 4.0, 0, 180, 10, 60},             // defaults
    {1.0, 1.005, 30, 30, 0, 0},             // no speed draw, no spread draw, lifetime 1
    {0.2, 0.3, 0, 30, 0, 60},               // 9 speed steps
    {5.0, 4.0, 180, 0, 70, 60},             // reversed bounds
    {0.0, 1e300, -90, 90, -3, -3},          // speed steps saturate
    {0.0, -1e300, 90, -90, kMin, kMax},     // negative saturation; age range wraps
    {kNaN, 4.0, 0, 1, 0, 1},                // NaN speed steps: no draw
    {0.0, kInf, 0, kMax, kMax, kMin},       // infinite width; huge spread
    {-kInf, kInf, kMin, kMax, -1, 1},       // spread difference wraps to -1
    {1e9, -1e9, kMax, kMin, kMin, kMin + 1},
    {3.0, 3.0 + 1e-15, 0, 100000, 1, 2},    // spread beyond the elevation cache
    {-2.5, 7.25, -100000, 0, -60, 60},
    {0.0, 327.68, 359, 0, 0, 32768},
    {1.0, 4.0, kMin, kMin + 1, kMax - 1, kMax},
    {1.0, 4.0, kMax - 1, kMax, 0, kMax},    // spreadMax - 90 near the limit
    {1.0, 4.0, kMin, 0, kMin, 0},
    {1.0, 4.0, -990, 1170, 0, 7},           // elevations fill the degree table to both ends
    {1.0, 4.0, -991, 1171, 0, 7},           // one degree past each end
    {1.0, 4.0, 1170, -990, 0, 7},
    {1.0, 4.0, 0, 40000, 0, 7},             // spread draws beyond the table
};

using plix::test::TestInstance;

// An instance of `count` points with the case's launch bounds.
void applyCase(TestInstance &t, const LaunchCase &c) {
    SparkSettings &s = t.sparks();
    s.v0Min = c.v0Min;
    s.v0Max = c.v0Max;
    s.spreadMin = c.spreadMin;
    s.spreadMax = c.spreadMax;
    s.ageMin = c.ageMin;
    s.ageMax = c.ageMax;
}

void expectSameLaunchData(const TestInstance &got, const plix::reference::Sparks &want, const char *what) {
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(0, std::memcmp(got.points[i].velocity, want[i].velocity, sizeof(double) * 3))
            << what << " velocity of spark " << i << ": " << got.points[i].velocity[0] << ' '
            << want[i].velocity[0];
        ASSERT_EQ(got.points[i].lifetime, want[i].lifetime) << what << " lifetime of spark " << i;
    }
}

// Draws the module's launch data into `got` and the literal ones into a
// plain copy, from the literal sequence `state`.
void expectSameDraws(TestInstance &got, uint32_t &state, const char *what) {
    plix::reference::Sparks want(got.points.size());
    randomiseVelocities(got.sparks());
    randomiseLifetimes(got.sparks());
    plix::reference::randomiseVelocities(got.sparks(), want, state);
    plix::reference::randomiseLifetimes(got.sparks(), want, state);
    expectSameLaunchData(got, want, what);
}

// A jump of k draws leaves the state that k single draws leave.
TEST(LaunchEquivalence, GeneratorJumpsEqualSingleDraws) {
    uint32_t state = 1;
    for (uint64_t k = 0; k <= 3000; ++k) {
        uint32_t stepped = 12345u;
        for (uint64_t j = 0; j < k; ++j) plix::reference::drawRandom(stepped);
        ASSERT_EQ(plix::GeneratorJump::ahead(k)(12345u), stepped) << k << " draws";
        plix::reference::drawRandom(state);
    }
    // The period is 2^32: a jump of 2^32 + 5 draws is one of 5.
    EXPECT_EQ(plix::GeneratorJump::ahead((uint64_t{1} << 32) + 5)(state), plix::GeneratorJump::ahead(5)(state));
    const plix::GeneratorJump a = plix::GeneratorJump::ahead(17), b = plix::GeneratorJump::ahead(40);
    EXPECT_EQ(a.then(b)(state), plix::GeneratorJump::ahead(57)(state));
}

// The remainder without a division equals the truncating one for every draw
// and divisors at the int32 limits, negative ones and powers of two.
TEST(LaunchEquivalence, DrawRemainderEqualsTruncatingRemainder) {
    const int32_t divisors[] = {1, -1, 2, 3, 7, 59, 60, 100, 300, 359, 360, 1000, 4096, 32767, 32768, 32769,
                                65536, 1 << 30, kMax, kMin, kMin + 1, -3, -360, -32768, -65537};
    for (int32_t m : divisors) {
        const plix::DrawRemainder remainder(m);
        for (int x = 0; x <= 32767; ++x)
            ASSERT_EQ(remainder.of(x), static_cast<int32_t>(static_cast<int64_t>(x) % m)) << x << " mod " << m;
    }
}

// The table holds what the library's cos and sin give for each whole degree.
TEST(LaunchEquivalence, DegreeTableHoldsTheLibrarysValues) {
    for (int32_t d : {plix::DegreeTable::lowest, -359, -90, -1, 0, 1, 17, 89, 90, 214, 359, plix::DegreeTable::highest,
                      plix::DegreeTable::highest + 1, kMax, kMin}) {
        volatile double radians = static_cast<double>(d) * 0.01745277777777778;
        const double c = std::cos(radians), s = std::sin(radians);
        const plix::CosSin got = plix::DegreeTable::of(d);
        EXPECT_EQ(0, std::memcmp(&got.cos, &c, sizeof c)) << d;
        EXPECT_EQ(0, std::memcmp(&got.sin, &s, sizeof s)) << d;
    }
}

TEST(LaunchEquivalence, MatchesLiteralDrawsOverExtremeSettings) {
    plix::test::onFreshThread([] { // the module's sequence starts at the seed
        uint32_t state = 1;
        for (int32_t count : {0, 1, 2, 3, 2000, 2001}) {
            for (const LaunchCase &c : kCases) {
                TestInstance got(count);
                applyCase(got, c);
                expectSameDraws(got, state, "fixed case");
            }
        }
        // Random bounds, mostly small ranges where the caches matter.
        uint32_t pick = 12345;
        auto next = [&pick] { return pick = pick * 1664525u + 1013904223u; };
        for (int round = 0; round < 300; ++round) {
            LaunchCase c;
            c.v0Min = static_cast<int32_t>(next() % 2001) / 100.0 - 10.0;
            c.v0Max = static_cast<int32_t>(next() % 2001) / 100.0 - 10.0;
            c.spreadMin = static_cast<int32_t>(next() % 1441) - 720;
            c.spreadMax = static_cast<int32_t>(next() % 1441) - 720;
            c.ageMin = static_cast<int32_t>(next() % 201) - 100;
            c.ageMax = static_cast<int32_t>(next() % 201) - 100;
            TestInstance got(257);
            applyCase(got, c);
            expectSameDraws(got, state, "random case");
        }
        // Both sequences took the same number of draws.
        EXPECT_EQ(drawRandom(), plix::reference::drawRandom(state));
    });
}

} // namespace
