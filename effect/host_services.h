// Module-wide references to the host services the effect calls. The
// DisplacementHandler activation writes them; nothing else does.
#pragma once

#include "plix/host/service_abi.h"
#include "plix/host/slots.h"

struct HostServices {
    const void *objectInfo;
    const void *itemInfo;
    const void *particles;
};

extern HostServices hostServices;

namespace plix::host {

inline int objectPointCount(void *item) {
    return slotEntry<ObjectNumPointsFunc>(hostServices.objectInfo, PLIX_OBJECT_NUM_POINTS)(item);
}
// The entries that a frame calls once per spark, looked up once per frame.
inline ItemParamFunc *itemParamEntry() {
    return slotEntry<ItemParamFunc>(hostServices.itemInfo, PLIX_ITEM_PARAM);
}
inline ParticleSetFunc *particleSetEntry() {
    return slotEntry<ParticleSetFunc>(hostServices.particles, PLIX_PARTICLE_SET);
}
inline void itemParam(void *item, int code, double time, double out[3]) {
    slotEntry<ItemParamFunc>(hostServices.itemInfo, PLIX_ITEM_PARAM)(item, code, time, out);
}
inline void *particleCreate(int flags, int type) {
    return slotEntry<ParticleCreateFunc>(hostServices.particles, PLIX_PARTICLE_CREATE)(flags, type);
}
inline void particleInit(void *system, int count) {
    slotEntry<ParticleInitFunc>(hostServices.particles, PLIX_PARTICLE_INIT)(system, count);
}
inline void particleCleanup(void *system) {
    slotEntry<ParticleCleanupFunc>(hostServices.particles, PLIX_PARTICLE_CLEANUP)(system);
}
inline void particleAttach(void *system, void *item) {
    slotEntry<ParticleAttachFunc>(hostServices.particles, PLIX_PARTICLE_ATTACH)(system, item);
}
inline void *particleBuffer(void *system, int flag) {
    return slotEntry<ParticleBufferFunc>(hostServices.particles, PLIX_PARTICLE_BUFFER)(system, flag);
}
inline void particleSet(void *buffer, int index, const void *data) {
    slotEntry<ParticleSetFunc>(hostServices.particles, PLIX_PARTICLE_SET)(buffer, index, data);
}

} // namespace plix::host
