#include "effect/launch.h"

#include <cmath>
#include <cstdint>

#include "effect/int32_math.h"

namespace {

// Each thread starts its own sequence at 1 the first time it draws.
thread_local uint32_t randomState = 1;

// 3.1415 / 180: the effect's own degrees-to-radians factor.
constexpr double degreesToRadians = 0.01745277777777778;

} // namespace

int drawRandom() noexcept {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

void randomiseVelocities(SparkSettings &sparks) noexcept {
    using plix::wrapSub;
    const int32_t speedSteps = plix::truncToInt32((sparks.v0Max - sparks.v0Min) * 100.0);
    for (int32_t i = 0; i < sparks.pointCount; ++i) {
        // A draw is never negative, so `draw % n` needs no sign care, and a
        // wrapped difference of two different bounds is never 0.
        const int32_t d1 = speedSteps != 0 ? drawRandom() % speedSteps : 0;
        const double speed = static_cast<double>(d1) * 0.01 + sparks.v0Min;
        const int32_t e = sparks.spreadMax != sparks.spreadMin
                              ? drawRandom() % wrapSub(sparks.spreadMax, sparks.spreadMin)
                              : 0;
        const int32_t elevation = wrapSub(e, wrapSub(sparks.spreadMax, 90));
        const int32_t azimuth = drawRandom() % 360;
        const double el = static_cast<double>(elevation) * degreesToRadians;
        const double az = static_cast<double>(azimuth) * degreesToRadians;
        double *v = sparks.points[i].velocity;
        v[0] = std::cos(az) * std::cos(el) * speed;
        v[1] = std::sin(el) * speed;
        v[2] = std::sin(az) * std::cos(el) * speed;
    }
}

void randomiseLifetimes(SparkSettings &sparks) noexcept {
    for (int32_t i = 0; i < sparks.pointCount; ++i) {
        int32_t lifetime = sparks.ageMin;
        if (sparks.ageMax > sparks.ageMin)
            lifetime = plix::wrapAdd(sparks.ageMin,
                                     drawRandom() % plix::wrapSub(sparks.ageMax, sparks.ageMin));
        sparks.points[i].lifetime = lifetime == 0 ? 1 : lifetime;
    }
}
