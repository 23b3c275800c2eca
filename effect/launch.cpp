#include "effect/launch.h"

#include <cmath>
#include <cstdint>

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

// 3.1415 / 180: the effect's own degrees-to-radians factor.
constexpr double degreesToRadians = 0.01745277777777778;

// The generator on a local copy of the thread's state, so that a loop of
// draws does not reach the thread-local variable at every draw.
struct Generator {
    uint32_t state;
    int draw() noexcept {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFFu);
    }
};

// cos and sin of a whole-degree angle, each computed once with the same
// std::cos / std::sin call on the same argument as a direct evaluation, so a
// cached value is the very value the direct call returns.
struct Trig {
    double cos, sin;
};

class AngleCache {
public:
    // Angles whose degree index lies outside 0 ... size - 1 are not cached.
    static constexpr int32_t size = 512;

    // `degrees(index)` is the whole-degree angle that `index` stands for.
    Trig get(int32_t index, int32_t degrees) noexcept {
        if (index < 0 || index >= size) return evaluate(degrees);
        if (!filled_[index]) {
            values_[index] = evaluate(degrees);
            filled_[index] = true;
        }
        return values_[index];
    }

private:
    static Trig evaluate(int32_t degrees) noexcept {
        const double radians = static_cast<double>(degrees) * degreesToRadians;
        return {std::cos(radians), std::sin(radians)};
    }

    Trig values_[size];
    bool filled_[size] = {};
};

} // namespace

int drawRandom() noexcept {
    Generator generator{randomState};
    const int value = generator.draw();
    randomState = generator.state;
    return value;
}

void randomiseVelocities(SparkSettings &sparks) noexcept {
    using plix::wrapSub;
    const int32_t count = sparks.pointCount;
    if (count <= 0) return;
    // Settings read once: nothing in the loop writes them.
    const double v0Min = sparks.v0Min;
    const int32_t speedSteps = plix::truncToInt32((sparks.v0Max - v0Min) * 100.0);
    const bool spreadDrawn = sparks.spreadMax != sparks.spreadMin;
    const int32_t spreadRange = wrapSub(sparks.spreadMax, sparks.spreadMin);
    const int32_t elevationBase = wrapSub(sparks.spreadMax, 90);
    // Elevations by spread draw e (e - elevationBase degrees), azimuths by
    // their whole degree; both filled as first met.
    AngleCache elevations, azimuths;
    Generator generator{randomState};
    SparkPoint *points = sparks.points;
    for (int32_t i = 0; i < count; ++i) {
        // A draw is never negative, so `draw % n` needs no sign care, and a
        // wrapped difference of two different bounds is never 0.
        const int32_t d1 = speedSteps != 0 ? generator.draw() % speedSteps : 0;
        const double speed = static_cast<double>(d1) * 0.01 + v0Min;
        const int32_t e = spreadDrawn ? generator.draw() % spreadRange : 0;
        const int32_t azimuth = generator.draw() % 360;
        const Trig el = elevations.get(e, wrapSub(e, elevationBase));
        const Trig az = azimuths.get(azimuth, azimuth);
        double *v = points[i].velocity;
        v[0] = az.cos * el.cos * speed;
        v[1] = el.sin * speed;
        v[2] = az.sin * el.cos * speed;
    }
    randomState = generator.state;
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
    const int32_t range = plix::wrapSub(sparks.ageMax, ageMin);
    Generator generator{randomState};
    for (int32_t i = 0; i < count; ++i) {
        const int32_t lifetime = plix::wrapAdd(ageMin, generator.draw() % range);
        points[i].lifetime = lifetime == 0 ? 1 : lifetime;
    }
    randomState = generator.state;
}
