#include "effect/simulation.h"

#include "effect/host_services.h"

namespace {

constexpr double secondsPerFrame = 0.03333333333333333; // the double nearest 1/30
constexpr double framesPerSecond = 30.0;

__extension__ typedef __int128 Int128; // i x P needs more than 64 bits at the extremes

} // namespace

bool hasStarted(const SparkSettings &sparks) noexcept { return sparks.frame >= sparks.startFrame; }

Vec3 ballisticOffset(double t, double gravity, const Vec3 &w) noexcept {
    return {t * w.x, t * w.y - t * t * gravity * 0.5, t * w.z};
}

void scheduleSpark(int32_t index, SparkSettings &sparks) noexcept {
    SparkPoint &spark = sparks.points[index];
    spark.dead = 0;
    const int64_t n = sparks.pointCount;
    const int64_t rate = sparks.birthRate;
    if (rate == 0) { // no emission period: nothing is ever born
        spark.dead = 1;
        return;
    }
    // 64-bit (and 128-bit for i x P) intermediates equal the 32-bit formulas
    // wherever those do not overflow, and never overflow themselves.
    const int64_t period = (30 * n) / rate;
    const double periodSeconds = static_cast<double>(n) / static_cast<double>(rate);
    const Int128 offsetProduct = static_cast<Int128>(index) * period;
    const int64_t offset = static_cast<int64_t>(offsetProduct / n);
    const double exactOffset = static_cast<double>(offsetProduct) / static_cast<double>(n);
    const int64_t frame = sparks.frame;
    const int64_t start = sparks.startFrame;
    if (frame < start + offset) spark.dead = 1;
    const int64_t cycle = (sparks.recycle == 1 && period != 0) ? (frame - start - offset) / period : 0;
    spark.birthTime = (static_cast<double>(cycle) * periodSeconds +
                       static_cast<double>(start) * secondsPerFrame) +
                      exactOffset * secondsPerFrame;
    if (spark.birthTime > sparks.time) spark.dead = 1;
    if (static_cast<double>(frame) >
        spark.birthTime * framesPerSecond + static_cast<double>(spark.lifetime))
        spark.dead = 1;
}

void simulateSparks(SparkSettings &sparks) noexcept {
    const bool started = hasStarted(sparks);
    for (int32_t i = 0; i < sparks.pointCount; ++i) {
        SparkPoint &spark = sparks.points[i];
        spark.pos[0] = sparks.avoidPos[0];
        spark.pos[1] = sparks.avoidPos[1];
        spark.pos[2] = sparks.avoidPos[2];
        if (!started) continue;
        scheduleSpark(i, sparks);
        if (spark.dead == 1) continue;
        const double birth = spark.birthTime;
        const double age = sparks.time - birth;
        double ax[3], ay[3], az[3], origin[3];
        plix::host::itemParam(sparks.objectItem, PLIX_PARAM_RIGHT, birth, ax);
        plix::host::itemParam(sparks.objectItem, PLIX_PARAM_UP, birth, ay);
        plix::host::itemParam(sparks.objectItem, PLIX_PARAM_FORWARD, birth, az);
        const double *v = spark.velocity;
        // Each component: x-axis and z-axis terms first, then the y-axis term.
        const Vec3 w = {(ax[0] * v[0] + az[0] * v[2]) + ay[0] * v[1],
                        (ax[1] * v[0] + az[1] * v[2]) + ay[1] * v[1],
                        (ax[2] * v[0] + az[2] * v[2]) + ay[2] * v[1]};
        const Vec3 offset = ballisticOffset(age, sparks.gravity, w);
        plix::host::itemParam(sparks.objectItem, PLIX_PARAM_W_POSITION, birth, origin);
        spark.pos[0] = offset.x + origin[0];
        spark.pos[1] = offset.y + origin[1];
        spark.pos[2] = offset.z + origin[2];
        spark.age = age;
    }
}

const char *newTime(void *instance, int frame, double time) noexcept {
    auto *inst = static_cast<EffectInstance *>(instance);
    SparkSettings &sparks = inst->sparks;
    plix::host::particleCleanup(inst->particleSystem);
    sparks.time = time;
    sparks.frame = frame;
    sparks.cursor = 0;
    simulateSparks(sparks);
    plix::host::particleInit(inst->particleSystem, sparks.pointCount);
    static constexpr unsigned char enabled = 1;
    for (int32_t i = 0; i < sparks.pointCount; ++i) {
        const SparkPoint &spark = sparks.points[i];
        const float position[3] = {static_cast<float>(spark.pos[0]), static_cast<float>(spark.pos[1]),
                                   static_cast<float>(spark.pos[2])};
        const float age = static_cast<float>(spark.age / static_cast<double>(spark.lifetime) * 30.0);
        plix::host::particleSet(inst->positionBuffer, i, position);
        plix::host::particleSet(inst->ageBuffer, i, &age);
        plix::host::particleSet(inst->enableBuffer, i, &enabled);
    }
    return nullptr;
}
