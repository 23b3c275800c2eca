// The plain module: the effect's formulas in the order they are written, one
// record per spark, the literal model that the equivalence tests compare the
// module with (tests/support/reference_effect.cpp). Its settings come from
// the panel's set callback; no scene block.
#include <cstring>
#include <new>

#include "bench/anchors/anchor_binding.h"
#include "plix/host/service_abi.h"
#include "plix/host/slots.h"
#include "reference_effect.h"

namespace plix::anchor {
namespace {

thread_local uint32_t randomState = 1;

struct Instance {
    SparkSettings settings{};
    reference::Sparks sparks;
    void *system = nullptr, *positionBuffer = nullptr, *ageBuffer = nullptr, *enableBuffer = nullptr;
};

constexpr unsigned int id(const char (&s)[5]) { return PLIX_ID4(s[0], s[1], s[2], s[3]); }

void itemParam(void *item, int code, double time, double out[3]) {
    slotEntry<ItemParamFunc>(services.itemInfo, PLIX_ITEM_PARAM)(item, code, time, out);
}

void setParticle(void *buffer, int index, const void *data) {
    slotEntry<ParticleSetFunc>(services.particles, PLIX_PARTICLE_SET)(buffer, index, data);
}

} // namespace

void *create(void *objectItem) noexcept {
    auto *inst = new (std::nothrow) Instance;
    if (!inst) return nullptr;
    SparkSettings &s = inst->settings;
    s.objectItem = objectItem;
    s.pointCount = slotEntry<ObjectNumPointsFunc>(services.objectInfo, PLIX_OBJECT_NUM_POINTS)(objectItem);
    if (s.pointCount < 0) s.pointCount = 0;
    try {
        inst->sparks.resize(static_cast<size_t>(s.pointCount));
    } catch (...) { // nothing is thrown across the module's interface
        delete inst;
        return nullptr;
    }
    s.v0Min = 1.0;
    s.v0Max = 4.0;
    s.spreadMax = 180;
    s.ageMin = 10;
    s.ageMax = 60;
    s.gravity = 9.8;
    s.birthRate = 60;
    s.recycle = 1;
    s.avoidPos[0] = -100.0;
    s.avoidPos[1] = -100.0;
    reference::randomiseVelocities(s, inst->sparks, randomState);
    reference::randomiseLifetimes(s, inst->sparks, randomState);
    const void *p = services.particles;
    inst->system = slotEntry<ParticleCreateFunc>(p, PLIX_PARTICLE_CREATE)(PLIX_BUFFER_FLAGS, 0);
    auto *buffer = slotEntry<ParticleBufferFunc>(p, PLIX_PARTICLE_BUFFER);
    inst->positionBuffer = buffer(inst->system, PLIX_BUFFER_POSITION);
    inst->ageBuffer = buffer(inst->system, PLIX_BUFFER_AGE);
    inst->enableBuffer = buffer(inst->system, PLIX_BUFFER_ENABLE);
    slotEntry<ParticleAttachFunc>(p, PLIX_PARTICLE_ATTACH)(inst->system, objectItem);
    return inst;
}

void destroy(void *instance) noexcept { delete static_cast<Instance *>(instance); }

void newTime(void *instance, int frame, double time) noexcept {
    auto *inst = static_cast<Instance *>(instance);
    SparkSettings &s = inst->settings;
    slotEntry<ParticleCleanupFunc>(services.particles, PLIX_PARTICLE_CLEANUP)(inst->system);
    s.time = time;
    s.frame = frame;
    s.cursor = 0;
    reference::simulateSparks(s, inst->sparks, itemParam);
    slotEntry<ParticleInitFunc>(services.particles, PLIX_PARTICLE_INIT)(inst->system, s.pointCount);
    static const unsigned char enabled = 1;
    for (int i = 0; i < s.pointCount; ++i) {
        const reference::Published out = reference::publish(inst->sparks[static_cast<size_t>(i)]);
        setParticle(inst->positionBuffer, i, out.position);
        setParticle(inst->ageBuffer, i, &out.age);
        setParticle(inst->enableBuffer, i, &enabled);
    }
}

void evaluate(void *instance, DisplacementAccess *access) noexcept {
    auto *inst = static_cast<Instance *>(instance);
    SparkSettings &s = inst->settings;
    if (s.pointCount <= 0) return;
    const reference::Spark &spark = inst->sparks[static_cast<size_t>(s.cursor)];
    access->newPos[0] = spark.pos[0];
    access->newPos[1] = spark.pos[1];
    access->newPos[2] = spark.pos[2];
    if (s.cursor < s.pointCount - 1) s.cursor = s.cursor + 1;
}

void set(void *instance, unsigned int which, const void *value) noexcept {
    auto *inst = static_cast<Instance *>(instance);
    SparkSettings &s = inst->settings;
    auto real = [value](double &field) { std::memcpy(&field, value, sizeof field); };
    auto whole = [value](int32_t &field) { std::memcpy(&field, value, sizeof field); };
    bool velocities = false, lifetimes = false;
    if (which == id("vmin")) real(s.v0Min), velocities = true;
    else if (which == id("vmax")) real(s.v0Max), velocities = true;
    else if (which == id("spmn")) whole(s.spreadMin), velocities = true;
    else if (which == id("spmx")) whole(s.spreadMax), velocities = true;
    else if (which == id("agmn")) whole(s.ageMin), lifetimes = true;
    else if (which == id("agmx")) whole(s.ageMax), lifetimes = true;
    else if (which == id("grav")) real(s.gravity);
    else if (which == id("recy")) whole(s.recycle);
    else if (which == id("rate")) whole(s.birthRate);
    else if (which == id("sprk")) whole(s.startFrame);
    else if (which == id("avoi")) std::memcpy(s.avoidPos, value, sizeof s.avoidPos);
    if (velocities) reference::randomiseVelocities(s, inst->sparks, randomState);
    if (lifetimes) reference::randomiseLifetimes(s, inst->sparks, randomState);
}

} // namespace plix::anchor
