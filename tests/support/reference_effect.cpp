#include "reference_effect.h"

#include <cmath>
#include <limits>

namespace plix::reference {
namespace {

__extension__ typedef __int128 Int128;

int32_t sub32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
int32_t add32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t trunc32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

} // namespace

int drawRandom(uint32_t &state) {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

void randomiseVelocities(const SparkSettings &s, Sparks &sparks, uint32_t &state) {
    for (int32_t i = 0; i < s.pointCount; ++i) {
        const int32_t speedSteps = trunc32((s.v0Max - s.v0Min) * 100);
        int32_t d1 = 0;
        if (speedSteps != 0) d1 = drawRandom(state) % speedSteps;
        const double speed = d1 * 0.01 + s.v0Min;
        int32_t e = 0;
        if (s.spreadMax != s.spreadMin) e = drawRandom(state) % sub32(s.spreadMax, s.spreadMin);
        const int32_t elevationDegrees = sub32(e, sub32(s.spreadMax, 90));
        const int32_t azimuthDegrees = drawRandom(state) % 360;
        const double el = elevationDegrees * 0.01745277777777778;
        const double az = azimuthDegrees * 0.01745277777777778;
        sparks[i].velocity[0] = std::cos(az) * std::cos(el) * speed;
        sparks[i].velocity[1] = std::sin(el) * speed;
        sparks[i].velocity[2] = std::sin(az) * std::cos(el) * speed;
    }
}

void randomiseLifetimes(const SparkSettings &s, Sparks &sparks, uint32_t &state) {
    for (int32_t i = 0; i < s.pointCount; ++i) {
        int32_t lifetime;
        if (s.ageMax > s.ageMin)
            lifetime = add32(s.ageMin, drawRandom(state) % sub32(s.ageMax, s.ageMin));
        else
            lifetime = s.ageMin;
        if (lifetime == 0) lifetime = 1;
        sparks[i].lifetime = lifetime;
    }
}

Schedule scheduleOne(const SparkSettings &s, int32_t i, int32_t lifetime) {
    Schedule out = {0, false, 0.0};
    const int64_t N = s.pointCount, R = s.birthRate, F = s.frame, S = s.startFrame;
    if (R == 0) { // no emission period: nothing is born
        out.dead = 1;
        return out;
    }
    const int64_t P = (30 * N) / R;
    const double D = static_cast<double>(N) / static_cast<double>(R);
    const Int128 iP = static_cast<Int128>(i) * P;
    const int64_t O = static_cast<int64_t>(iP / N);
    const double exactOffset = static_cast<double>(iP) / static_cast<double>(N);
    if (F < S + O) out.dead = 1;
    int64_t C = 0;
    if (s.recycle == 1 && P != 0) C = (F - S - O) / P;
    out.birthTime = (static_cast<double>(C) * D + static_cast<double>(S) * 0.03333333333333333) +
                    exactOffset * 0.03333333333333333;
    out.hasBirthTime = true;
    if (out.birthTime > s.time) out.dead = 1;
    if (static_cast<double>(F) > out.birthTime * 30.0 + static_cast<double>(lifetime)) out.dead = 1;
    return out;
}

void simulateSparks(const SparkSettings &s, Sparks &sparks, ItemParam itemParam) {
    for (int32_t i = 0; i < s.pointCount; ++i) {
        Spark &p = sparks[i];
        p.pos[0] = s.avoidPos[0];
        p.pos[1] = s.avoidPos[1];
        p.pos[2] = s.avoidPos[2];
        if (!(s.frame >= s.startFrame)) continue;
        const Schedule schedule = scheduleOne(s, i, p.lifetime);
        p.dead = schedule.dead;
        if (schedule.hasBirthTime) p.birthTime = schedule.birthTime;
        if (p.dead == 1) continue;
        const double b = p.birthTime;
        const double a = s.time - b;
        double X[3], Y[3], Z[3], Q[3];
        itemParam(s.objectItem, 2, b, X);
        itemParam(s.objectItem, 3, b, Y);
        itemParam(s.objectItem, 4, b, Z);
        const double *v = p.velocity;
        double w[3];
        for (int k = 0; k < 3; ++k) w[k] = (X[k] * v[0] + Z[k] * v[2]) + Y[k] * v[1];
        p.pos[0] = a * w[0];
        p.pos[1] = a * w[1] - a * a * s.gravity * 0.5;
        p.pos[2] = a * w[2];
        itemParam(s.objectItem, 8, b, Q);
        for (int k = 0; k < 3; ++k) p.pos[k] = p.pos[k] + Q[k];
        p.age = a;
    }
}

Published publish(const Spark &p) {
    Published out;
    for (int k = 0; k < 3; ++k) out.position[k] = static_cast<float>(p.pos[k]);
    out.age = static_cast<float>(p.age / p.lifetime * 30.0);
    return out;
}

} // namespace plix::reference
