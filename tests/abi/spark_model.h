// The effect's launch draws and frame formulas written out plainly, so tests
// through the binary interface can predict every spark to the bit. Only for
// settings whose integer arithmetic stays far inside 32 bits.
//
// The unit tests have a fuller model (tests/support/reference_effect.h) that
// also covers the wrapping arithmetic of extreme settings; it works on the
// module's internal spark records, which tests through the binary interface
// do not see. This one needs only what a host sees: the stand-in's objects
// and the settings as a scene block states them.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "plix/geometry.h"
#include "plix/standin/host_object.h"

namespace plix::test {

using geometry::Axes;
using standin::HostObject;
using geometry::Vec3;

struct ModelSettings {
    double v0Min = 1.0, v0Max = 4.0;
    int spreadMin = 0, spreadMax = 180, ageMin = 10, ageMax = 60;
    double gravity = 9.8;
    int birthRate = 60, recycle = 1, startFrame = 0;
    Vec3 avoidPos{-100.0, -100.0, 0.0};
};

struct ModelSpark {
    double velocity[3];
    int lifetime;
};

// One thread's generator, from the seed 1.
struct ModelGenerator {
    std::uint32_t state = 1;
    int draw() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFFu);
    }
};

// What create or a load draws for `count` sparks: every velocity, then every lifetime.
inline void drawLaunch(const ModelSettings &s, ModelGenerator &random, std::vector<ModelSpark> &sparks) {
    const double radians = 0.01745277777777778;
    const int speedSteps = static_cast<int>((s.v0Max - s.v0Min) * 100);
    for (ModelSpark &spark : sparks) {
        const int d1 = speedSteps != 0 ? random.draw() % speedSteps : 0;
        const double speed = d1 * 0.01 + s.v0Min;
        const int e = s.spreadMax != s.spreadMin ? random.draw() % (s.spreadMax - s.spreadMin) : 0;
        const double el = (e - (s.spreadMax - 90)) * radians;
        const double az = (random.draw() % 360) * radians;
        spark.velocity[0] = std::cos(az) * std::cos(el) * speed;
        spark.velocity[1] = std::sin(el) * speed;
        spark.velocity[2] = std::sin(az) * std::cos(el) * speed;
    }
    for (ModelSpark &spark : sparks) {
        int lifetime = s.ageMax > s.ageMin ? s.ageMin + random.draw() % (s.ageMax - s.ageMin) : s.ageMin;
        spark.lifetime = lifetime == 0 ? 1 : lifetime;
    }
}

inline std::vector<ModelSpark> drawLaunch(const ModelSettings &s, ModelGenerator &random, int count) {
    std::vector<ModelSpark> sparks(static_cast<size_t>(count));
    drawLaunch(s, random, sparks);
    return sparks;
}

struct ModelFlight {
    bool inFlight = false;
    double birthTime = 0.0;
    double age = 0.0;
    Vec3 pos;
};

// Spark i of n at frame f, time t (birth rate not 0).
inline ModelFlight simulate(const ModelSettings &s, int n, int i, const ModelSpark &spark, int f, double t,
                            const HostObject &object) {
    ModelFlight out;
    out.pos = s.avoidPos;
    if (f < s.startFrame) return out;
    const int p = (30 * n) / s.birthRate;
    const double d = static_cast<double>(n) / s.birthRate;
    const int o = (i * p) / n;
    const double exactOffset = static_cast<double>(i * p) / n;
    bool dead = f < s.startFrame + o;
    const int c = (s.recycle == 1 && p != 0) ? (f - s.startFrame - o) / p : 0;
    out.birthTime = (c * d + s.startFrame * 0.03333333333333333) + exactOffset * 0.03333333333333333;
    if (out.birthTime > t) dead = true;
    if (f > out.birthTime * 30.0 + spark.lifetime) dead = true;
    if (dead) return out;
    const double b = out.birthTime, a = t - b;
    const Axes axes = object.axes(b);
    const double *v = spark.velocity;
    const Vec3 w{(axes.x.x * v[0] + axes.z.x * v[2]) + axes.y.x * v[1],
                 (axes.x.y * v[0] + axes.z.y * v[2]) + axes.y.y * v[1],
                 (axes.x.z * v[0] + axes.z.z * v[2]) + axes.y.z * v[1]};
    const Vec3 q = object.position(b);
    out.pos = {a * w.x + q.x, (a * w.y - a * a * s.gravity * 0.5) + q.y, a * w.z + q.z};
    out.age = a;
    out.inFlight = true;
    return out;
}

// The age value published for a spark.
inline float ageValue(double age, int lifetime) { return static_cast<float>(age / lifetime * 30.0); }

} // namespace plix::test
