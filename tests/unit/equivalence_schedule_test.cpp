// The incremental birth schedule against the literal per-spark formulas
// (64-bit and 128-bit products and divisions), bit for bit, over extreme
// point counts, birth rates, frames, start frames, times and lifetimes. Huge
// point counts are checked in windows, starting the walk mid-array.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "effect/schedule.h"
#include "effect/simulation.h"
#include "effect/spark_types.h"
#include "reference_effect.h"
#include "test_instance.h"

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

const int32_t kCounts[] = {1, 2, 4, 30, 100, 1000, 4097, 65537, 1 << 24, kMax};
const int32_t kRates[] = {kMin, kMin + 1, -70, -1, 0, 1, 7, 60, 70, 1000, kMax - 1, kMax};
const int32_t kFrames[] = {kMin, kMin + 1, -31, -1, 0, 1, 29, 300, 2057, 1 << 20, kMax - 1, kMax};
const int32_t kLifetimes[] = {kMin, -3, 1, 2, 10, 37, 59, 1000, kMax};

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Walks `length` sparks from `first` and compares each with the literal one.
template <class Product>
void expectWalkMatches(const SparkSettings &settings, int32_t first, int32_t length) {
    plix::ScheduleWalk<Product> schedule(plix::ScheduleFrame(settings), first);
    for (int32_t i = first; i < first + length && i < settings.pointCount; ++i) {
        const int32_t lifetime = kLifetimes[static_cast<uint32_t>(i) % std::size(kLifetimes)];
        uint8_t dead = 7;
        double birth = -123.0;
        schedule.next(lifetime, dead, birth);
        const auto want = plix::reference::scheduleOne(settings, i, lifetime);
        ASSERT_EQ(dead, want.dead) << "spark " << i << " of " << settings.pointCount << ", rate "
                                   << settings.birthRate << ", frame " << settings.frame << ", start "
                                   << settings.startFrame << ", recycle " << settings.recycle;
        ASSERT_TRUE(sameBits(birth, want.hasBirthTime ? want.birthTime : -123.0))
            << "spark " << i << " of " << settings.pointCount << ": " << birth << " vs "
            << want.birthTime << ", rate " << settings.birthRate << ", frame " << settings.frame
            << ", start " << settings.startFrame << ", recycle " << settings.recycle;
    }
}

// Both product widths where 64 bits suffice, else the 128-bit one.
void expectWindowMatches(const SparkSettings &settings, int32_t first, int32_t length) {
    if (plix::ScheduleFrame(settings).productFits64()) expectWalkMatches<int64_t>(settings, first, length);
    expectWalkMatches<plix::Int128>(settings, first, length);
}

void expectAllWindowsMatch(const SparkSettings &settings, int32_t window) {
    const int32_t n = settings.pointCount;
    expectWindowMatches(settings, 0, window);
    if (n > window) {
        expectWindowMatches(settings, n / 2 - window / 2, window);
        expectWindowMatches(settings, n - window, window);
    }
}

TEST(ScheduleEquivalence, IncrementalWalkMatchesLiteralFormulaAtExtremes) {
    uint32_t pick = 99;
    auto next = [&pick] { return pick = pick * 1664525u + 1013904223u; };
    for (int round = 0; round < 2500; ++round) {
        SparkSettings s{};
        s.pointCount = kCounts[next() % std::size(kCounts)];
        s.birthRate = kRates[next() % std::size(kRates)];
        if (next() % 4 == 0) s.birthRate = s.pointCount; // period of 30 frames
        s.frame = kFrames[next() % std::size(kFrames)];
        s.startFrame = kFrames[next() % std::size(kFrames)];
        s.recycle = static_cast<int32_t>(next() % 3);
        switch (next() % 4) {
        case 0: s.time = s.frame / 30.0; break;
        case 1: s.time = s.frame / 25.0; break;
        case 2: s.time = std::numeric_limits<double>::infinity() * ((next() & 1) ? 1 : -1); break;
        default: s.time = std::nan(""); break;
        }
        expectAllWindowsMatch(s, 200);
        if (HasFatalFailure()) return;
    }
}

TEST(ScheduleEquivalence, WholeFramesMatchForSmallObjects) {
    uint32_t pick = 7;
    auto next = [&pick] { return pick = pick * 1664525u + 1013904223u; };
    for (int round = 0; round < 3000; ++round) {
        SparkSettings s{};
        s.pointCount = static_cast<int32_t>(next() % 400) + 1;
        s.birthRate = static_cast<int32_t>(next() % 2401) - 1200;
        s.startFrame = static_cast<int32_t>(next() % 200) - 100;
        s.frame = static_cast<int32_t>(next() % 3000) - 200;
        s.recycle = static_cast<int32_t>(next() % 3);
        s.time = s.frame / 30.0 + (next() % 3 == 0 ? 0.01 : 0.0);
        expectWindowMatches(s, 0, s.pointCount);
        if (HasFatalFailure()) return;
    }
}

// The per-spark entry schedules exactly the spark it names.
TEST(ScheduleEquivalence, SingleSparkEntryMatchesLiteralFormula) {
    plix::test::TestInstance t(101);
    SparkSettings &s = t.sparks();
    std::vector<SparkPoint> &points = t.points;
    for (int32_t rate : {-7, 0, 3, 70, 5000}) {
        for (int32_t frame : {-5, 0, 44, 3001}) {
            s.birthRate = rate;
            s.frame = frame;
            s.time = frame / 30.0;
            s.recycle = 1;
            for (int32_t i = 0; i < 101; ++i) {
                points[i].lifetime = kLifetimes[i % std::size(kLifetimes)];
                points[i].birthTime = 5.5;
                scheduleSpark(i, s);
                const auto want = plix::reference::scheduleOne(s, i, points[i].lifetime);
                EXPECT_EQ(points[i].dead, want.dead);
                EXPECT_TRUE(sameBits(points[i].birthTime, want.hasBirthTime ? want.birthTime : 5.5));
            }
        }
    }
}

} // namespace
