#include "plix/standin/particle_store.h"

#include <cstring>

#include "plix/host/service_abi.h"

namespace plix::standin {
namespace {

// Bytes of one particle's value in the buffer of `flag`.
int valueSize(int flag) {
    switch (flag) {
    case PLIX_BUFFER_POSITION: return 12;
    case PLIX_BUFFER_AGE: return 4;
    case PLIX_BUFFER_ENABLE: return 1;
    default: return 0;
    }
}

} // namespace

ParticleSystemState *ParticleStore::lookup(const void *system) const {
    const auto found = systemByHandle_.find(system);
    return found == systemByHandle_.end() ? nullptr : found->second;
}

void *ParticleStore::createSystem(int bufferFlags, int type) {
    auto state = std::make_unique<ParticleSystemState>();
    state->bufferFlags = bufferFlags;
    state->type = type;
    ParticleSystemState *handle = state.get();
    systems_.push_back(std::move(state));
    systemByHandle_[handle] = handle;
    return handle;
}

bool ParticleStore::init(void *system, int count) {
    ParticleSystemState *state = lookup(system);
    if (!state || count < 0) return false;
    const auto n = static_cast<std::size_t>(count);
    state->count = count;
    ++state->initCalls;
    state->positions.assign(n, {0.0f, 0.0f, 0.0f});
    state->ages.assign(n, 0.0f);
    state->enabled.assign(n, 0);
    state->positionSet.assign(n, 0);
    state->ageSet.assign(n, 0);
    state->enableSet.assign(n, 0);
    return true;
}

bool ParticleStore::cleanup(void *system) {
    ParticleSystemState *state = lookup(system);
    if (!state) return false;
    state->count = 0;
    ++state->cleanupCalls;
    state->positions.clear();
    state->ages.clear();
    state->enabled.clear();
    state->positionSet.clear();
    state->ageSet.clear();
    state->enableSet.clear();
    return true;
}

bool ParticleStore::attach(void *system, void *item) {
    ParticleSystemState *state = lookup(system);
    if (!state) return false;
    state->attachedItem = item;
    return true;
}

void *ParticleStore::buffer(void *system, int flag) {
    ParticleSystemState *state = lookup(system);
    if (!state || valueSize(flag) == 0 || (state->bufferFlags & flag) != flag) return nullptr;
    std::vector<BufferTag *> &tags = buffersOfSystem_[state];
    for (BufferTag *tag : tags)
        if (tag->flag == flag) return tag;
    buffers_.push_back(std::make_unique<BufferTag>(BufferTag{state, flag}));
    BufferTag *handle = buffers_.back().get();
    bufferByHandle_[handle] = handle;
    tags.push_back(handle);
    return handle;
}

bool ParticleStore::set(void *buffer, int index, const void *data, int &flag) {
    if (buffer == nullptr || buffer != lastBuffer_) {
        const auto found = bufferByHandle_.find(buffer);
        if (found == bufferByHandle_.end()) return false;
        lastBuffer_ = buffer;
        lastTag_ = found->second;
    }
    const BufferTag &tag = *lastTag_;
    flag = tag.flag;
    ParticleSystemState &state = *tag.system;
    if (!data || index < 0 || index >= state.count) return false;
    const auto i = static_cast<std::size_t>(index);
    switch (tag.flag) {
    case PLIX_BUFFER_POSITION:
        std::memcpy(state.positions[i].data(), data, 12);
        state.positionSet[i] = 1;
        break;
    case PLIX_BUFFER_AGE:
        std::memcpy(&state.ages[i], data, 4);
        state.ageSet[i] = 1;
        break;
    default:
        std::memcpy(&state.enabled[i], data, 1);
        state.enableSet[i] = 1;
        break;
    }
    return true;
}

const ParticleSystemState *ParticleStore::find(const void *system) const { return lookup(system); }

const ParticleSystemState *ParticleStore::attachedTo(const void *item) const {
    const ParticleSystemState *latest = nullptr;
    for (const auto &state : systems_)
        if (state->attachedItem == item) latest = state.get();
    return latest;
}

std::vector<const ParticleSystemState *> ParticleStore::systems() const {
    std::vector<const ParticleSystemState *> list;
    for (const auto &state : systems_) list.push_back(state.get());
    return list;
}

void ParticleStore::clear() {
    bufferByHandle_.clear();
    lastBuffer_ = nullptr;
    lastTag_ = nullptr;
    buffersOfSystem_.clear();
    systemByHandle_.clear();
    buffers_.clear();
    systems_.clear();
}

} // namespace plix::standin
