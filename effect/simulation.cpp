#include "effect/simulation.h"

#include <cstring>

#include "effect/host_services.h"
#include "effect/prefetch.h"
#include "effect/schedule.h"

namespace {

// Stores `value` only when its bits differ, so that a spark record that does
// not change from frame to frame is not written back to memory.
inline void storeIfChanged(double &field, double value) noexcept {
    if (std::memcmp(&field, &value, sizeof value) != 0) field = value;
}

} // namespace

// The host writes the vectors of an item parameter one double at a time; a
// wide load of two of them right after the call cannot be served from those
// stores and stalls. Loading each double on its own avoids that stall.
#if defined(__GNUC__) && !defined(__clang__)
#define PLIX_SCALAR_LOADS __attribute__((optimize("no-tree-slp-vectorize")))
#else
#define PLIX_SCALAR_LOADS
#endif

bool hasStarted(const SparkSettings &sparks) noexcept { return sparks.frame >= sparks.startFrame; }

plix::Vec3 ballisticOffset(double t, double gravity, const plix::Vec3 &w) noexcept {
    return {t * w.x, t * w.y - t * t * gravity * 0.5, t * w.z};
}

void scheduleSpark(int32_t index, SparkSettings &sparks) noexcept {
    SparkPoint &spark = sparks.points[index];
    plix::ScheduleWalk<plix::Int128>(plix::ScheduleFrame(sparks), index)
        .next(spark.lifetime, spark.dead, spark.birthTime);
}

namespace {

// Every spark of a started frame: schedule, then parking or flight. `Product`
// is the integer type that holds i x P for this frame.
template <class Product>
PLIX_SCALAR_LOADS void simulateStarted(SparkSettings &sparks, const double parked[3]) noexcept {
    const int32_t count = sparks.pointCount;
    SparkPoint *points = sparks.points;
    // Constant over the frame: the host's entry, the object, time and gravity.
    ItemParamFunc *const itemParam = plix::host::itemParamEntry();
    void *const item = sparks.objectItem;
    const double now = sparks.time;
    const double gravity = sparks.gravity;
    plix::ScheduleWalk<Product> schedule(plix::ScheduleFrame(sparks), 0);
    // The schedule runs one spark ahead of the flight, so that whether the
    // next spark flies is known before this spark's host calls are made.
    uint8_t nextDead = points[0].dead;
    double nextBirth = points[0].birthTime;
    schedule.next(points[0].lifetime, nextDead, nextBirth);
    for (int32_t i = 0; i < count; ++i) {
        plix::prefetchForWrite(points, i, count);
        SparkPoint &spark = points[i];
        const uint8_t dead = nextDead;
        const double birth = nextBirth;
        if (i + 1 < count) {
            const SparkPoint &following = points[i + 1];
            nextDead = following.dead;
            nextBirth = following.birthTime;
            schedule.next(following.lifetime, nextDead, nextBirth);
        }
        if (dead == 1) {
            if (spark.dead != 1) spark.dead = 1;
            storeIfChanged(spark.birthTime, birth);
            for (int k = 0; k < 3; ++k) storeIfChanged(spark.pos[k], parked[k]);
            continue;
        }
        spark.dead = 0;
        spark.birthTime = birth;
        const double age = now - birth;
        double ax[3], ay[3], az[3], origin[3];
        itemParam(item, PLIX_PARAM_RIGHT, birth, ax);
        itemParam(item, PLIX_PARAM_UP, birth, ay);
        itemParam(item, PLIX_PARAM_FORWARD, birth, az);
        const double *v = spark.velocity;
        // Each component: x-axis and z-axis terms first, then the y-axis term.
        const plix::Vec3 w = {(ax[0] * v[0] + az[0] * v[2]) + ay[0] * v[1],
                        (ax[1] * v[0] + az[1] * v[2]) + ay[1] * v[1],
                        (ax[2] * v[0] + az[2] * v[2]) + ay[2] * v[1]};
        const plix::Vec3 offset = ballisticOffset(age, gravity, w);
        itemParam(item, PLIX_PARAM_W_POSITION, birth, origin);
        spark.pos[0] = offset.x + origin[0];
        spark.pos[1] = offset.y + origin[1];
        spark.pos[2] = offset.z + origin[2];
        spark.age = age;
    }
}

} // namespace

void simulateSparks(SparkSettings &sparks) noexcept {
    const int32_t count = sparks.pointCount;
    if (count <= 0) return;
    const double parked[3] = {sparks.avoidPos[0], sparks.avoidPos[1], sparks.avoidPos[2]};
    SparkPoint *points = sparks.points;
    if (!hasStarted(sparks)) {
        for (int32_t i = 0; i < count; ++i) {
            plix::prefetchForRead(points, i, count);
            for (int k = 0; k < 3; ++k) storeIfChanged(points[i].pos[k], parked[k]);
        }
        return;
    }
    if (plix::ScheduleFrame(sparks).productFits64()) simulateStarted<int64_t>(sparks, parked);
    else simulateStarted<plix::Int128>(sparks, parked);
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
    ParticleSetFunc *const setParticle = plix::host::particleSetEntry();
    void *const positionBuffer = inst->positionBuffer;
    void *const ageBuffer = inst->ageBuffer;
    void *const enableBuffer = inst->enableBuffer;
    static constexpr unsigned char enabled = 1;
    const SparkPoint *points = sparks.points;
    const int32_t count = sparks.pointCount;
    for (int32_t i = 0; i < count; ++i) {
        plix::prefetchForRead(points, i, count);
        const SparkPoint &spark = points[i];
        const float position[3] = {static_cast<float>(spark.pos[0]), static_cast<float>(spark.pos[1]),
                                   static_cast<float>(spark.pos[2])};
        const float age = static_cast<float>(spark.age / static_cast<double>(spark.lifetime) * 30.0);
        setParticle(positionBuffer, i, position);
        setParticle(ageBuffer, i, &age);
        setParticle(enableBuffer, i, &enabled);
    }
    return nullptr;
}
