// "Particle Services": systems and their buffers, kept in the host's store.
#include "plix/host/slots.h"
#include "plix/standin/standin_host.h"
#include "service_tables.h"

#include <cstring>

namespace plix::standin::detail {
namespace {

HostCall particleCall(CallKind kind, int slot) {
    HostCall call;
    call.kind = kind;
    call.service = Service::Particles;
    call.slot = slot;
    return call;
}

void *createSystem(int bufferFlags, int type) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return nullptr;
    auto guard = host->lock();
    HostCall call = particleCall(CallKind::ParticleCreate, PLIX_PARTICLE_CREATE);
    call.code = bufferFlags;
    call.count = type;
    call.system = host->particles().createSystem(bufferFlags, type);
    void *system = call.system;
    host->calls().add(std::move(call));
    return system;
}

int initSystem(void *system, int count) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return 0;
    auto guard = host->lock();
    HostCall call = particleCall(CallKind::ParticleInit, PLIX_PARTICLE_INIT);
    call.system = system;
    call.count = count;
    call.rejected = !host->particles().init(system, count);
    const int result = call.rejected ? 0 : count;
    host->calls().add(std::move(call));
    return result;
}

void cleanupSystem(void *system) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return;
    auto guard = host->lock();
    HostCall call = particleCall(CallKind::ParticleCleanup, PLIX_PARTICLE_CLEANUP);
    call.system = system;
    call.rejected = !host->particles().cleanup(system);
    host->calls().add(std::move(call));
}

void attachSystem(void *system, void *item) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return;
    auto guard = host->lock();
    HostCall call = particleCall(CallKind::ParticleAttach, PLIX_PARTICLE_ATTACH);
    call.system = system;
    call.item = item;
    call.rejected = !host->particles().attach(system, item);
    host->calls().add(std::move(call));
}

void *bufferHandle(void *system, int flag) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return nullptr;
    auto guard = host->lock();
    HostCall call = particleCall(CallKind::ParticleBuffer, PLIX_PARTICLE_BUFFER);
    call.system = system;
    call.code = flag;
    call.buffer = host->particles().buffer(system, flag);
    call.rejected = !call.buffer;
    void *buffer = call.buffer;
    host->calls().add(std::move(call));
    return buffer;
}

void setParticle(void *buffer, int index, const void *data) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return;
    auto guard = host->lock();
    if (!host->calls().recording()) { // millions of calls a frame: nothing built for the record
        int flag = 0;
        host->calls().tally(CallKind::ParticleSet, !host->particles().set(buffer, index, data, flag));
        return;
    }
    HostCall call = particleCall(CallKind::ParticleSet, PLIX_PARTICLE_SET);
    call.buffer = buffer;
    call.index = index;
    int flag = 0;
    call.rejected = !host->particles().set(buffer, index, data, flag);
    call.code = flag;
    if (data && host->calls().recording()) {
        // The same bytes the store took, for the record.
        if (flag == PLIX_BUFFER_POSITION) {
            std::memcpy(call.floats.data(), data, 12);
            call.dataSize = 12;
        } else if (flag == PLIX_BUFFER_AGE) {
            std::memcpy(call.floats.data(), data, 4);
            call.dataSize = 4;
        } else if (flag == PLIX_BUFFER_ENABLE) {
            std::memcpy(&call.byte, data, 1);
            call.dataSize = 1;
        }
    }
    host->calls().add(std::move(call));
}

} // namespace

void fillParticleTable(std::array<void *, PLIX_PARTICLE_SLOTS> &table) {
    setSlot<ParticleCreateFunc>(table.data(), PLIX_PARTICLE_CREATE, createSystem);
    setSlot<ParticleInitFunc>(table.data(), PLIX_PARTICLE_INIT, initSystem);
    setSlot<ParticleCleanupFunc>(table.data(), PLIX_PARTICLE_CLEANUP, cleanupSystem);
    setSlot<ParticleAttachFunc>(table.data(), PLIX_PARTICLE_ATTACH, attachSystem);
    setSlot<ParticleBufferFunc>(table.data(), PLIX_PARTICLE_BUFFER, bufferHandle);
    setSlot<ParticleSetFunc>(table.data(), PLIX_PARTICLE_SET, setParticle);
}

} // namespace plix::standin::detail
