// What the panel's get callback shows and what its set callback stores and
// redraws; buildPanel without a lookup function or an instance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "effect/launch.h"
#include "panel/panel.h"
#include "panel/panel_ids.h"
#include "fresh_thread.h"
#include "test_instance.h"

namespace {

using namespace plix::panel;
using plix::test::onFreshThread;
using plix::test::TestInstance;

double shownDouble(TestInstance &t, unsigned int id) { return *static_cast<double *>(getSetting(t.handle(), id)); }
int shownInt(TestInstance &t, unsigned int id) { return *static_cast<int *>(getSetting(t.handle(), id)); }

int setDouble(TestInstance &t, unsigned int id, double v) { return setSetting(t.handle(), id, &v); }
int setInt(TestInstance &t, unsigned int id, int v) { return setSetting(t.handle(), id, &v); }

bool pointsInside(TestInstance &t, const void *address) {
    auto *p = static_cast<const char *>(address);
    auto *base = reinterpret_cast<const char *>(&t.inst);
    return p >= base && p < base + sizeof t.inst;
}

TEST(PanelGet, FreshInstanceShowsDefaults) {
    TestInstance t(1);
    EXPECT_EQ(shownDouble(t, idV0Min), 1.0);
    EXPECT_EQ(shownDouble(t, idV0Max), 4.0);
    EXPECT_EQ(shownInt(t, idSpreadMin), 0);
    EXPECT_EQ(shownInt(t, idSpreadMax), 180);
    EXPECT_EQ(shownInt(t, idAgeMin), 10);
    EXPECT_EQ(shownInt(t, idAgeMax), 60);
    EXPECT_EQ(shownDouble(t, idGravity), 9.8);
    EXPECT_EQ(shownInt(t, idRecycle), 1);
    EXPECT_EQ(shownInt(t, idBirthRate), 60);
    EXPECT_EQ(shownInt(t, idStartFrame), 0);
    auto *avoid = static_cast<double *>(getSetting(t.handle(), idAvoidPos));
    ASSERT_NE(avoid, nullptr);
    EXPECT_EQ(avoid[0], -100.0);
    EXPECT_EQ(avoid[1], -100.0);
    EXPECT_EQ(avoid[2], 0.0);
    EXPECT_EQ(getSetting(t.handle(), idLinkAge), nullptr);
    EXPECT_EQ(getSetting(t.handle(), PLIX_ID4('r', 'e', 'g', 'i')), nullptr);
    EXPECT_EQ(getSetting(t.handle(), 0), nullptr);
}

TEST(PanelGet, AddressesAreTheInstanceOwnFields) {
    TestInstance t(1);
    const unsigned int ids[] = {idV0Min, idV0Max, idSpreadMin, idSpreadMax, idAgeMin, idAgeMax,
                                idGravity, idRecycle, idBirthRate, idStartFrame, idAvoidPos};
    for (unsigned int id : ids) EXPECT_TRUE(pointsInside(t, getSetting(t.handle(), id))) << id;
    EXPECT_EQ(getSetting(t.handle(), idGravity), &t.sparks().gravity);
    EXPECT_EQ(getSetting(t.handle(), idAvoidPos), t.sparks().avoidPos);
}

// Each pair shows sorted, storage keeps the order, showing writes nothing.
struct PairCase {
    const char *name;
    double lo, hi;           // stored lower and upper bound
    double shownLo, shownHi; // what the two controls show
};

void PrintTo(const PairCase &c, std::ostream *os) { *os << c.name; }

class PanelPairs : public ::testing::TestWithParam<PairCase> {};

TEST_P(PanelPairs, ShowSortedKeepStoredOrder) {
    const PairCase c = GetParam();
    TestInstance t(0);
    SparkSettings &s = t.sparks();
    s.v0Min = c.lo;
    s.v0Max = c.hi;
    s.spreadMin = static_cast<int>(c.lo);
    s.spreadMax = static_cast<int>(c.hi);
    s.ageMin = static_cast<int>(c.lo);
    s.ageMax = static_cast<int>(c.hi);
    EffectInstance before;
    std::memcpy(&before, &t.inst, sizeof before);

    EXPECT_EQ(shownDouble(t, idV0Min), c.shownLo);
    EXPECT_EQ(shownDouble(t, idV0Max), c.shownHi);
    EXPECT_EQ(shownInt(t, idSpreadMin), static_cast<int>(c.shownLo));
    EXPECT_EQ(shownInt(t, idSpreadMax), static_cast<int>(c.shownHi));
    EXPECT_EQ(shownInt(t, idAgeMin), static_cast<int>(c.shownLo));
    EXPECT_EQ(shownInt(t, idAgeMax), static_cast<int>(c.shownHi));
    EXPECT_EQ(std::memcmp(&before, &t.inst, sizeof before), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelPairs,
                         ::testing::Values(PairCase{"Ordered", 5, 40, 5, 40},
                                           PairCase{"Reversed", 40, 5, 5, 40},
                                           PairCase{"Equal", 7, 7, 7, 7},
                                           PairCase{"LowerAtZero", 0, 4, 0, 4},
                                           PairCase{"LowerBelowZero", -3, 4, -3, 4},
                                           PairCase{"BothBelowZero", -9, -2, -9, -2},
                                           PairCase{"ReversedBelowZero", -2, -9, -9, -2}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PanelGet, LowerSpeedAtOrBelowZeroShowsTheStoredField) {
    TestInstance t(0);
    t.sparks().v0Min = -0.5;
    EXPECT_EQ(getSetting(t.handle(), idV0Min), &t.sparks().v0Min);
    EXPECT_EQ(getSetting(t.handle(), idV0Max), &t.sparks().v0Max);
}

TEST(PanelBuild, NoLookupFunctionOrInstanceBuildsNothing) {
    TestInstance t(0);
    EXPECT_EQ(buildPanel(nullptr, t.handle()), nullptr);
    EXPECT_EQ(buildPanel([](const char *, int) -> void * { ADD_FAILURE(); return nullptr; }, nullptr),
              nullptr);
}

TEST(PanelGet, NoInstanceShowsNothing) { EXPECT_EQ(getSetting(nullptr, idGravity), nullptr); }

TEST(PanelSet, StoresEachKindUnchecked) {
    TestInstance t(0);
    EXPECT_EQ(setDouble(t, idV0Min, -7.25), 1);
    EXPECT_EQ(setDouble(t, idV0Max, -8.5), 1);
    EXPECT_EQ(setInt(t, idSpreadMin, 400), 1);
    EXPECT_EQ(setInt(t, idSpreadMax, -30), 1);
    EXPECT_EQ(setInt(t, idAgeMin, 90), 1);
    EXPECT_EQ(setInt(t, idAgeMax, -1), 1);
    EXPECT_EQ(setDouble(t, idGravity, -1.5), 1);
    EXPECT_EQ(setInt(t, idRecycle, 2), 1);
    EXPECT_EQ(setInt(t, idBirthRate, 0), 1);
    EXPECT_EQ(setInt(t, idStartFrame, -12), 1);
    double avoid[3] = {1.5, -2.5, 3.25};
    EXPECT_EQ(setSetting(t.handle(), idAvoidPos, avoid), 1);

    const SparkSettings &s = t.sparks();
    EXPECT_EQ(s.v0Min, -7.25);
    EXPECT_EQ(s.v0Max, -8.5);
    EXPECT_EQ(s.spreadMin, 400);
    EXPECT_EQ(s.spreadMax, -30);
    EXPECT_EQ(s.ageMin, 90);
    EXPECT_EQ(s.ageMax, -1);
    EXPECT_EQ(s.gravity, -1.5);
    EXPECT_EQ(s.recycle, 2);
    EXPECT_EQ(s.birthRate, 0);
    EXPECT_EQ(s.startFrame, -12);
    EXPECT_EQ(s.avoidPos[0], 1.5);
    EXPECT_EQ(s.avoidPos[1], -2.5);
    EXPECT_EQ(s.avoidPos[2], 3.25);
}

TEST(PanelSet, ReadsValuesAtAnyAlignment) {
    TestInstance t(0);
    alignas(8) unsigned char buf[32] = {};
    const double avoid[3] = {4.0, 5.0, 6.0};
    std::memcpy(buf + 1, avoid, sizeof avoid);
    setSetting(t.handle(), idAvoidPos, buf + 1);
    const int rate = 75;
    std::memcpy(buf + 3, &rate, sizeof rate);
    setSetting(t.handle(), idBirthRate, buf + 3);
    EXPECT_EQ(t.sparks().avoidPos[2], 6.0);
    EXPECT_EQ(t.sparks().birthRate, 75);
}

TEST(PanelSet, UnboundOrMissingInputsChangeNothing) {
    TestInstance t(2);
    EffectInstance before;
    std::memcpy(&before, &t.inst, sizeof before);
    const std::vector<SparkPoint> pointsBefore = t.points;
    int one = 1;
    EXPECT_EQ(setSetting(t.handle(), idLinkAge, &one), 1);
    EXPECT_EQ(setSetting(t.handle(), PLIX_ID4('x', 'x', 'x', 'x'), &one), 1);
    EXPECT_EQ(setSetting(t.handle(), idV0Min, nullptr), 1);
    EXPECT_EQ(setSetting(nullptr, idV0Min, &one), 1);
    EXPECT_EQ(std::memcmp(&before, &t.inst, sizeof before), 0);
    EXPECT_EQ(std::memcmp(pointsBefore.data(), t.points.data(), 2 * sizeof(SparkPoint)), 0);
}

// How many draws an action takes on a fresh thread: the next draws it leaves
// are found in the sequence from the seed.
int drawsTakenBy(const std::function<void()> &action) {
    std::vector<int> sequence;
    onFreshThread([&] {
        for (int i = 0; i < 64; ++i) sequence.push_back(drawRandom());
    });
    std::vector<int> next;
    onFreshThread([&] {
        action();
        for (int i = 0; i < 3; ++i) next.push_back(drawRandom());
    });
    for (size_t k = 0; k + 3 <= sequence.size(); ++k)
        if (std::equal(next.begin(), next.end(), sequence.begin() + static_cast<std::ptrdiff_t>(k)))
            return static_cast<int>(k);
    return -1;
}

struct DrawCase {
    const char *name;
    unsigned int id;
    double value; // the current value for the bounds: an unchanged edit still draws
    int draws;    // on two points: three per velocity, one per lifetime
};

void PrintTo(const DrawCase &c, std::ostream *os) { *os << c.name; }

class PanelDraws : public ::testing::TestWithParam<DrawCase> {};

TEST_P(PanelDraws, BoundsRedrawOthersDoNot) {
    const DrawCase c = GetParam();
    const int taken = drawsTakenBy([&] {
        TestInstance t(2);
        if (c.id == idV0Min || c.id == idV0Max || c.id == idGravity) {
            setDouble(t, c.id, c.value);
        } else if (c.id == idAvoidPos) {
            double avoid[3] = {c.value, c.value, c.value};
            setSetting(t.handle(), c.id, avoid);
        } else {
            setInt(t, c.id, static_cast<int>(c.value));
        }
    });
    EXPECT_EQ(taken, c.draws);
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelDraws,
                         ::testing::Values(DrawCase{"vmin", idV0Min, 1.0, 6},
                                           DrawCase{"vmax", idV0Max, 4.0, 6},
                                           DrawCase{"spmn", idSpreadMin, 0, 6},
                                           DrawCase{"spmx", idSpreadMax, 180, 6},
                                           DrawCase{"agmn", idAgeMin, 10, 2},
                                           DrawCase{"agmx", idAgeMax, 60, 2},
                                           DrawCase{"grav", idGravity, 1.0, 0},
                                           DrawCase{"recy", idRecycle, 0, 0},
                                           DrawCase{"rate", idBirthRate, 10, 0},
                                           DrawCase{"sprk", idStartFrame, 5, 0},
                                           DrawCase{"avoi", idAvoidPos, 1.0, 0},
                                           DrawCase{"lkag", idLinkAge, 1, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PanelDraws, SpreadEditRedrawsOnlyVelocities) {
    // Fresh thread, defaults: the first point takes draws 41, 18467, 6334.
    onFreshThread([] {
        TestInstance t(1);
        t.points[0].lifetime = 33;
        setInt(t, idSpreadMin, 0);
        const double *v = t.points[0].velocity;
        EXPECT_NEAR(v[0], -1.117952, 1e-6);
        EXPECT_NEAR(v[1], 0.412232, 1e-6);
        EXPECT_NEAR(v[2], -0.753889, 1e-6);
        EXPECT_EQ(t.points[0].lifetime, 33);
    });
}

TEST(PanelDraws, AgeEditRedrawsOnlyLifetimes) {
    onFreshThread([] {
        TestInstance t(1);
        t.points[0].velocity[1] = 2.5;
        setInt(t, idAgeMax, 60);
        EXPECT_EQ(t.points[0].lifetime, 10 + 41 % 50);
        EXPECT_EQ(t.points[0].velocity[1], 2.5);
    });
}

double speedOf(const SparkPoint &p) {
    return std::sqrt(p.velocity[0] * p.velocity[0] + p.velocity[1] * p.velocity[1] +
                     p.velocity[2] * p.velocity[2]);
}

TEST(PanelEdits, LowerSpeedAboveUpperShowsSortedAndDrawsUpward) {
    TestInstance t(300);
    setDouble(t, idV0Min, 5.0);
    EXPECT_EQ(t.sparks().v0Min, 5.0);
    EXPECT_EQ(t.sparks().v0Max, 4.0);
    EXPECT_EQ(shownDouble(t, idV0Min), 4.0);
    EXPECT_EQ(shownDouble(t, idV0Max), 5.0);
    double lowest = 1e9, highest = 0;
    for (const SparkPoint &p : t.points) {
        lowest = std::min(lowest, speedOf(p));
        highest = std::max(highest, speedOf(p));
    }
    EXPECT_GE(lowest, 5.0 - 1e-9);
    EXPECT_LE(highest, 5.99 + 1e-9);
    EXPECT_GT(highest, 5.5); // the whole range is used, not only its start

    // The field that showed 4.0 writes the lower bound, not the upper one.
    setDouble(t, idV0Min, 3.0);
    EXPECT_EQ(t.sparks().v0Min, 3.0);
    EXPECT_EQ(t.sparks().v0Max, 4.0);
    EXPECT_EQ(shownDouble(t, idV0Min), 3.0);
    EXPECT_EQ(shownDouble(t, idV0Max), 4.0);
}

TEST(PanelEdits, LowerAgeAboveUpperGivesThatAgeToEverySpark) {
    TestInstance t(50);
    setInt(t, idAgeMin, 70);
    EXPECT_EQ(t.sparks().ageMin, 70);
    EXPECT_EQ(t.sparks().ageMax, 60);
    EXPECT_EQ(shownInt(t, idAgeMin), 60);
    EXPECT_EQ(shownInt(t, idAgeMax), 70);
    for (const SparkPoint &p : t.points) EXPECT_EQ(p.lifetime, 70);
}

} // namespace
