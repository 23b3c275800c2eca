// What the panel's controls show and what their edits do to a live instance,
// through the stand-in toolkit's get and set calls.
#include <algorithm>
#include <cmath>

#include "panel_fixture.h"

namespace plix::test {
namespace {

using PanelEdit = PanelTest;

double number(const PanelValue &value) {
    if (const double *d = std::get_if<double>(&value)) return *d;
    if (const int *i = std::get_if<int>(&value)) return *i;
    ADD_FAILURE() << "not a number";
    return NAN;
}

double length(const Vec3 &v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

TEST_F(PanelEdit, FreshInstanceShowsDefaults) {
    void *panel = openPanel(create(itemId(1), 4));
    const std::vector<PanelControl> controls = host.panels().listControls(panel);
    const std::vector<PanelValue> expected = {
        1.0, 4.0, 0, 180, 10, 60, 9.8, 1, 60, 0, Vec3{-100.0, -100.0, 0.0}, std::monostate{}};
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < controls.size(); ++i)
        EXPECT_TRUE(controls[i].value == expected[i]) << controls[i].label;
}

TEST_F(PanelEdit, EveryControlEditsItsSetting) {
    struct Edit {
        const char *id;
        PanelValue value;
        const char *savedLine;
    };
    const Edit edits[] = {
        {"vmin", 2.5, "V0Min 2.500000"},   {"vmax", 6.5, "V0Max 6.500000"},
        {"spmn", 10, "SpreadMin 10.000000"}, {"spmx", 170, "SpreadMax 170.000000"},
        {"agmn", 20, "AgeMin 20.000000"},  {"agmx", 50, "AgeMax 50.000000"},
        {"grav", 1.5, "Gravity 1.500000"}, {"recy", 0, "ReCycle 0.000000"},
        {"rate", 75, "Birth 75.000000"},   {"sprk", 12, "START_F 12.000000"},
    };
    void *instance = create(itemId(1), 4);
    void *panel = openPanel(instance);
    for (const Edit &edit : edits) {
        SCOPED_TRACE(edit.id);
        EXPECT_EQ(enter(panel, edit.id, edit.value), 1);
        EXPECT_EQ(shown(panel, edit.id), edit.value);
        const std::string line = edit.savedLine;
        EXPECT_EQ(savedLine(instance, line.substr(0, line.find(' '))), line);
    }
    EXPECT_EQ(enter(panel, "avoi", Vec3{1.5, -2.5, 3.25}), 1);
    EXPECT_EQ(shown(panel, "avoi"), PanelValue(Vec3{1.5, -2.5, 3.25}));
    EXPECT_EQ(savedLine(instance, "AvoidX"), "AvoidX 1.500000");
    EXPECT_EQ(savedLine(instance, "AvoidY"), "AvoidY -2.500000");
    EXPECT_EQ(savedLine(instance, "AvoidZ"), "AvoidZ 3.250000");
}

// A pair of bounds shows sorted; the scene block (and so the draws) keeps
// what was entered.
struct PairCase {
    const char *low, *high;            // panel identifiers
    const char *lowKey, *highKey;      // scene keywords
};
void PrintTo(const PairCase &c, std::ostream *os) { *os << c.low; }

class PanelPairs : public PanelTest, public ::testing::WithParamInterface<PairCase> {};

TEST_P(PanelPairs, ShowSortedStoreAsEntered) {
    const PairCase &c = GetParam();
    const char *low = c.low, *high = c.high;
    void *instance = create(itemId(1), 4);
    void *panel = openPanel(instance);

    EXPECT_EQ(enter(panel, low, 40.0), 1);
    EXPECT_EQ(enter(panel, high, 5.0), 1);
    EXPECT_EQ(number(shown(panel, low)), 5.0);
    EXPECT_EQ(number(shown(panel, high)), 40.0);
    EXPECT_EQ(savedLine(instance, c.lowKey), std::string(c.lowKey) + " 40.000000");
    EXPECT_EQ(savedLine(instance, c.highKey), std::string(c.highKey) + " 5.000000");

    enter(panel, low, 7.0);
    enter(panel, high, 7.0);
    EXPECT_EQ(number(shown(panel, low)), 7.0);
    EXPECT_EQ(number(shown(panel, high)), 7.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelPairs,
                         ::testing::Values(PairCase{"vmin", "vmax", "V0Min", "V0Max"},
                                           PairCase{"spmn", "spmx", "SpreadMin", "SpreadMax"},
                                           PairCase{"agmn", "agmx", "AgeMin", "AgeMax"}),
                         [](const auto &info) { return std::string(info.param.low); });

// One edit on a fresh thread, seen through the edited instance's own sparks
// and through the sparks that an instance created afterwards gets.
struct Observed {
    std::vector<Vec3> editedFlight; // one spark at frame 1, 1.0 s: its velocity, gravity applied
    float editedAge = 0;            // age value: 30 / lifetime
    std::vector<Vec3> laterFlight;  // the next instance's spark
};

struct DrawCase {
    const char *id;
    PanelValue value;   // for the bounds the value already held
    bool velocities;    // redraws the edited instance's velocities
    bool lifetimes;     // redraws its lifetimes
    bool checkEdited;   // the value leaves the edited instance's flight alone
};
void PrintTo(const DrawCase &c, std::ostream *os) { *os << c.id; }

class PanelDraws : public PanelTest, public ::testing::WithParamInterface<DrawCase> {
protected:
    Observed observe(bool edit) {
        host.addObject(HostObject::fixed(itemId(1), 1));
        host.addObject(HostObject::fixed(itemId(2), 1));
        return onFreshThread([&] {
            Observed seen;
            void *edited = adopt(effect.create(itemId(1)));
            if (edit) {
                void *panel = openPanel(edited);
                const DrawCase &c = GetParam();
                EXPECT_EQ(host.panels().enterValue(panel, panelId(c.id), c.value), 1);
            }
            seen.editedFlight = flightAtOneSecond(edited, 1);
            seen.editedAge = host.particles().attachedTo(itemId(1))->ages.at(0);
            void *later = adopt(effect.create(itemId(2)));
            seen.laterFlight = flightAtOneSecond(later, 1);
            return seen;
        });
    }
};

TEST_P(PanelDraws, BoundsRedrawOthersDoNot) {
    const DrawCase &c = GetParam();
    const Observed reference = observe(false);
    const Observed edited = observe(true);
    const bool draws = c.velocities || c.lifetimes;
    EXPECT_EQ(edited.laterFlight != reference.laterFlight, draws) << "the generator moved on";
    if (!c.checkEdited) return;
    EXPECT_EQ(edited.editedFlight != reference.editedFlight, c.velocities);
    EXPECT_EQ(edited.editedAge != reference.editedAge, c.lifetimes);
    // A velocity edit continues the thread's sequence: the redrawn spark is
    // the one the next instance would have got without the edit.
    if (c.velocities) {
        EXPECT_EQ(edited.editedFlight, reference.laterFlight);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PanelDraws,
    ::testing::Values(DrawCase{"vmin", 1.0, true, false, true}, DrawCase{"vmax", 4.0, true, false, true},
                      DrawCase{"spmn", 0, true, false, true}, DrawCase{"spmx", 180, true, false, true},
                      DrawCase{"agmn", 10, false, true, true}, DrawCase{"agmx", 60, false, true, true},
                      // Changed values: they draw nothing even though a setting changes.
                      DrawCase{"grav", 2.5, false, false, false}, DrawCase{"recy", 0, false, false, false},
                      DrawCase{"rate", 90, false, false, false}, DrawCase{"sprk", -5, false, false, false},
                      DrawCase{"avoi", Vec3{1.0, 2.0, 3.0}, false, false, false},
                      DrawCase{"lkag", 1, false, false, true}),
    [](const auto &info) { return std::string(info.param.id); });

TEST_F(PanelEdit, LowerSpeedAboveUpperShowsSortedAndDrawsUpward) {
    constexpr int points = 60;
    void *instance = create(itemId(1), points);
    void *panel = openPanel(instance);
    enter(panel, "grav", 0.0);
    enter(panel, "rate", 100000); // every spark born at the start frame

    auto speedRange = [&] {
        const std::vector<Vec3> flight = flightAtOneSecond(instance, points);
        std::vector<double> speeds;
        for (const Vec3 &v : flight) speeds.push_back(length(v));
        return std::pair(*std::min_element(speeds.begin(), speeds.end()),
                         *std::max_element(speeds.begin(), speeds.end()));
    };

    enter(panel, "vmin", 5.0);
    EXPECT_EQ(shown(panel, "vmin"), PanelValue(4.0));
    EXPECT_EQ(shown(panel, "vmax"), PanelValue(5.0));
    EXPECT_EQ(savedLine(instance, "V0Min"), "V0Min 5.000000");
    auto [low, high] = speedRange();
    EXPECT_GE(low, 5.0 - 1e-9);
    EXPECT_LE(high, 5.99 + 1e-9);
    EXPECT_GT(high, 5.5);

    // The field showing 4.0 is still the lower bound's: the 5.0 goes.
    enter(panel, "vmin", 3.0);
    EXPECT_EQ(shown(panel, "vmin"), PanelValue(3.0));
    EXPECT_EQ(shown(panel, "vmax"), PanelValue(4.0));
    EXPECT_EQ(savedLine(instance, "V0Max"), "V0Max 4.000000");
    std::tie(low, high) = speedRange();
    EXPECT_GE(low, 3.0 - 1e-9);
    EXPECT_LE(high, 3.99 + 1e-9);
}

TEST_F(PanelEdit, LowerAgeAboveUpperGivesThatAgeToEverySpark) {
    constexpr int points = 20;
    void *instance = create(itemId(1), points);
    void *panel = openPanel(instance);
    enter(panel, "rate", 100000);
    enter(panel, "agmn", 70);
    EXPECT_EQ(shown(panel, "agmn"), PanelValue(60));
    EXPECT_EQ(shown(panel, "agmx"), PanelValue(70));

    const Vec3 parked{-100.0, -100.0, 0.0};
    effect.newTime(instance, 70, 70 / 30.0); // the last frame of a 70-frame life
    for (const Vec3 &p : effect.evaluateAll(instance, points)) EXPECT_NE(p, parked);
    effect.newTime(instance, 71, 71 / 30.0);
    for (const Vec3 &p : effect.evaluateAll(instance, points)) EXPECT_EQ(p, parked);
}

TEST_F(PanelEdit, LinkAgeShowsNothingAndStoresNothing) {
    void *instance = create(itemId(1), 4);
    void *panel = openPanel(instance);
    LineSaveState before;
    effect.save(instance, before.state());
    EXPECT_EQ(shown(panel, "lkag"), PanelValue());
    EXPECT_EQ(enter(panel, "lkag", 1), 1);
    LineSaveState after;
    effect.save(instance, after.state());
    EXPECT_EQ(before.lines(), after.lines());
}

} // namespace
} // namespace plix::test
