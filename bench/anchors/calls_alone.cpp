// The floor a host sets for a frame: the host calls that a frame with every
// spark in flight must make, and nothing else. New-time cleans up the
// particle system, asks the four item parameters per spark, initialises the
// system and sets three particle values per spark (always the same values);
// evaluate writes one fixed position. No spark data is kept or computed.
#include <cstdlib>
#include <cstring>

#include "bench/anchors/anchor_binding.h"
#include "plix/host/service_abi.h"
#include "plix/host/slots.h"

namespace plix::anchor {
namespace {

struct Instance {
    void *item;
    int count;
    void *system, *positionBuffer, *ageBuffer, *enableBuffer;
};

const double fixedPosition[3] = {1.0, 2.0, 3.0};
const float publishedPosition[3] = {1.0f, 2.0f, 3.0f};
const float publishedAge = 0.5f;
const unsigned char enabled = 1;

} // namespace

void *create(void *objectItem) noexcept {
    auto *inst = static_cast<Instance *>(std::calloc(1, sizeof(Instance)));
    if (!inst) return nullptr;
    inst->item = objectItem;
    inst->count = slotEntry<ObjectNumPointsFunc>(services.objectInfo, PLIX_OBJECT_NUM_POINTS)(objectItem);
    const void *p = services.particles;
    inst->system = slotEntry<ParticleCreateFunc>(p, PLIX_PARTICLE_CREATE)(PLIX_BUFFER_FLAGS, 0);
    auto *buffer = slotEntry<ParticleBufferFunc>(p, PLIX_PARTICLE_BUFFER);
    inst->positionBuffer = buffer(inst->system, PLIX_BUFFER_POSITION);
    inst->ageBuffer = buffer(inst->system, PLIX_BUFFER_AGE);
    inst->enableBuffer = buffer(inst->system, PLIX_BUFFER_ENABLE);
    slotEntry<ParticleAttachFunc>(p, PLIX_PARTICLE_ATTACH)(inst->system, objectItem);
    return inst;
}

void destroy(void *instance) noexcept { std::free(instance); }

void newTime(void *instance, int, double time) noexcept {
    auto *inst = static_cast<Instance *>(instance);
    const void *p = services.particles;
    slotEntry<ParticleCleanupFunc>(p, PLIX_PARTICLE_CLEANUP)(inst->system);
    ItemParamFunc *const itemParam = slotEntry<ItemParamFunc>(services.itemInfo, PLIX_ITEM_PARAM);
    double out[3];
    for (int i = 0; i < inst->count; ++i) {
        itemParam(inst->item, PLIX_PARAM_RIGHT, time, out);
        itemParam(inst->item, PLIX_PARAM_UP, time, out);
        itemParam(inst->item, PLIX_PARAM_FORWARD, time, out);
        itemParam(inst->item, PLIX_PARAM_W_POSITION, time, out);
    }
    slotEntry<ParticleInitFunc>(p, PLIX_PARTICLE_INIT)(inst->system, inst->count);
    ParticleSetFunc *const setParticle = slotEntry<ParticleSetFunc>(p, PLIX_PARTICLE_SET);
    for (int i = 0; i < inst->count; ++i) {
        setParticle(inst->positionBuffer, i, publishedPosition);
        setParticle(inst->ageBuffer, i, &publishedAge);
        setParticle(inst->enableBuffer, i, &enabled);
    }
}

void evaluate(void *, DisplacementAccess *access) noexcept {
    std::memcpy(access->newPos, fixedPosition, sizeof access->newPos);
}

void set(void *, unsigned int, const void *) noexcept {}

} // namespace plix::anchor
