#include "call_logging_host.h"

#include <cmath>

#include "effect/host_services.h"

namespace plix::test {
namespace {

void *objectInfo[PLIX_OBJECT_INFO_SLOTS];
void *itemInfo[PLIX_ITEM_INFO_SLOTS];
void *particles[PLIX_PARTICLE_SLOTS];

void append(const HostCall &call) {
    if (CallLoggingHost::log) CallLoggingHost::log->push_back(call);
}

int numPoints(void *) { return CallLoggingHost::pointCount; }
void *create(int, int) { return &CallLoggingHost::system; }
int init(void *, int count) {
    HostCall call{HostCall::Init};
    call.code = count;
    append(call);
    return 1;
}
void cleanup(void *system) {
    HostCall call{HostCall::Cleanup};
    call.handle = system;
    append(call);
}
void attach(void *, void *) {}
void *buffer(void *, int flag) {
    switch (flag) {
    case PLIX_BUFFER_POSITION: return &CallLoggingHost::positionBuffer;
    case PLIX_BUFFER_AGE: return &CallLoggingHost::ageBuffer;
    default: return &CallLoggingHost::enableBuffer;
    }
}
void set(void *handle, int index, const void *data) {
    HostCall call{HostCall::Set};
    call.handle = handle;
    call.index = index;
    const size_t size = handle == &CallLoggingHost::positionBuffer ? 12 : handle == &CallLoggingHost::ageBuffer ? 4 : 1;
    std::memcpy(call.data, data, size);
    append(call);
}

template <class Fn>
void put(void **table, int slot, Fn *entry) {
    table[slot] = reinterpret_cast<void *>(entry);
}

} // namespace

std::vector<HostCall> *CallLoggingHost::log = nullptr;
int CallLoggingHost::system, CallLoggingHost::positionBuffer, CallLoggingHost::ageBuffer, CallLoggingHost::enableBuffer;
int CallLoggingHost::pointCount = 0;

// Axes turned about a tilted axis by an angle that grows with time, and a
// position that moves along a curve: every birth time gives other values.
void CallLoggingHost::itemParam(void *, int code, double time, double out[3]) {
    HostCall call{HostCall::ItemParam};
    call.code = code;
    std::memcpy(&call.timeBits, &time, sizeof time);
    append(call);
    const double angle = 0.7 * time, c = std::cos(angle), s = std::sin(angle);
    switch (code) {
    case PLIX_PARAM_RIGHT: out[0] = c, out[1] = 0.25 * s, out[2] = -s; break;
    case PLIX_PARAM_UP: out[0] = 0.1 * s, out[1] = c, out[2] = 0.3; break;
    case PLIX_PARAM_FORWARD: out[0] = s, out[1] = -0.2, out[2] = c; break;
    default: out[0] = 3.0 * std::sin(time), out[1] = 2.0 * time, out[2] = -time / 3.0; break;
    }
}

CallLoggingHost::CallLoggingHost() {
    put(objectInfo, PLIX_OBJECT_NUM_POINTS, numPoints);
    put(itemInfo, PLIX_ITEM_PARAM, &CallLoggingHost::itemParam);
    put(particles, PLIX_PARTICLE_CREATE, create);
    put(particles, PLIX_PARTICLE_INIT, init);
    put(particles, PLIX_PARTICLE_CLEANUP, cleanup);
    put(particles, PLIX_PARTICLE_ATTACH, attach);
    put(particles, PLIX_PARTICLE_BUFFER, buffer);
    put(particles, PLIX_PARTICLE_SET, set);
    hostServices.objectInfo = objectInfo;
    hostServices.itemInfo = itemInfo;
    hostServices.particles = particles;
}

CallLoggingHost::~CallLoggingHost() {
    log = nullptr;
    hostServices = {nullptr, nullptr, nullptr};
}

} // namespace plix::test
