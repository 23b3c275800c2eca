#include "plix/standin/effect_servers.h"

#include <algorithm>

namespace plix::standin {
namespace {

template <class Fn>
Fn *entry(const void *slot) {
    return reinterpret_cast<Fn *>(const_cast<void *>(slot));
}

} // namespace

HandlerServer::HandlerServer(const ModuleFile &module, StandinHost &host) : module_(module), host_(host) {
    record_.instanceTable = instanceTable_.data();
    record_.itemTable = itemTable_.data();
    record_.renderTable = renderTable_.data();
}

int HandlerServer::activate(int version) {
    const ServerRow *server = module_.findServer(PLIX_CLASS_DISPLACEMENT_HANDLER);
    if (!server || !server->activate) return -1;
    return server->activate(version, host_.globalFunc(), &record_, module_.serverData());
}

void *HandlerServer::create(void *item, const char **errorText, void *priv) {
    auto *fn = entry<CreateEntry>(instanceTable_[PLIX_INSTANCE_CREATE]);
    return fn ? fn(priv, item, errorText) : nullptr;
}

void HandlerServer::destroy(void *instance) {
    if (auto *fn = entry<DestroyEntry>(instanceTable_[PLIX_INSTANCE_DESTROY])) fn(instance);
}

const char *HandlerServer::copy(void *destination, void *source) {
    auto *fn = entry<CopyEntry>(instanceTable_[PLIX_INSTANCE_COPY]);
    return fn ? fn(destination, source) : nullptr;
}

const char *HandlerServer::load(void *instance, const LoadState *state) {
    auto *fn = entry<LoadEntry>(instanceTable_[PLIX_INSTANCE_LOAD]);
    return fn ? fn(instance, state) : nullptr;
}

const char *HandlerServer::save(void *instance, const SaveState *state) {
    auto *fn = entry<SaveEntry>(instanceTable_[PLIX_INSTANCE_SAVE]);
    return fn ? fn(instance, state) : nullptr;
}

const char *HandlerServer::describe(void *instance) {
    auto *fn = entry<DescribeEntry>(instanceTable_[PLIX_INSTANCE_DESCRIBE]);
    return fn ? fn(instance) : nullptr;
}

const void **HandlerServer::useItems(void *instance) {
    auto *fn = entry<UseItemsEntry>(itemTable_[PLIX_ITEM_USE_ITEMS]);
    return fn ? fn(instance) : nullptr;
}

void HandlerServer::changeId(void *instance, const void **ids) {
    if (auto *fn = entry<ChangeIdEntry>(itemTable_[PLIX_ITEM_CHANGE_ID])) fn(instance, ids);
}

const char *HandlerServer::renderInit(void *instance, int mode) {
    auto *fn = entry<RenderInitEntry>(renderTable_[PLIX_RENDER_INIT]);
    return fn ? fn(instance, mode) : nullptr;
}

void HandlerServer::renderCleanup(void *instance) {
    if (auto *fn = entry<RenderCleanupEntry>(renderTable_[PLIX_RENDER_CLEANUP])) fn(instance);
}

const char *HandlerServer::newTime(void *instance, int frame, double time) {
    auto *fn = entry<NewTimeEntry>(renderTable_[PLIX_RENDER_NEW_TIME]);
    return fn ? fn(instance, frame, time) : nullptr;
}

void HandlerServer::evaluate(void *instance, DisplacementAccess &access) {
    if (auto *fn = entry<EvaluateEntry>(record_.evaluate)) fn(instance, &access);
}

geometry::Vec3 HandlerServer::evaluate(void *instance, geometry::Vec3 oldPos) {
    DisplacementAccess access{};
    access.oldPos[0] = oldPos.x;
    access.oldPos[1] = oldPos.y;
    access.oldPos[2] = oldPos.z;
    access.newPos[0] = oldPos.x;
    access.newPos[1] = oldPos.y;
    access.newPos[2] = oldPos.z;
    evaluate(instance, access);
    return {access.newPos[0], access.newPos[1], access.newPos[2]};
}

std::vector<geometry::Vec3> HandlerServer::evaluateAll(void *instance, int calls) {
    std::vector<geometry::Vec3> positions;
    evaluateAll(instance, calls, positions);
    return positions;
}

void HandlerServer::evaluateAll(void *instance, int calls, std::vector<geometry::Vec3> &positions) {
    positions.clear();
    positions.reserve(static_cast<std::size_t>(std::max(calls, 0)));
    for (int i = 0; i < calls; ++i) positions.push_back(evaluate(instance));
}

unsigned int HandlerServer::flags(void *instance) {
    auto *fn = entry<FlagsEntry>(record_.flags);
    return fn ? fn(instance) : 0u;
}

InterfaceActivation InterfaceServer::activate(void *instance, int version, void *prefill) {
    InterfaceActivation activation;
    activation.record = {instance, prefill, prefill, prefill};
    const ServerRow *server = module_.findServer(PLIX_CLASS_DISPLACEMENT_INTERFACE);
    if (!server || !server->activate) return activation;
    activation.result = server->activate(version, host_.globalFunc(), &activation.record, module_.serverData());
    return activation;
}

} // namespace plix::standin
