#include "effect/instance.h"

#include <cstdlib>
#include <cstring>

#include "effect/host_services.h"
#include "effect/launch.h"

void applyDefaults(SparkSettings &sparks) noexcept {
    sparks.time = 0.0;
    sparks.v0Min = 1.0;
    sparks.v0Max = 4.0;
    sparks.spreadMin = 0;
    sparks.spreadMax = 180;
    sparks.ageMin = 10;
    sparks.ageMax = 60;
    sparks.gravity = 9.8;
    sparks.birthRate = 60;
    sparks.recycle = 1;
    sparks.startFrame = 0;
    sparks.avoidPos[0] = -100.0;
    sparks.avoidPos[1] = -100.0;
    sparks.avoidPos[2] = 0.0;
}

void *createInstance(void *, void *context, const char **) noexcept {
    auto *inst = static_cast<EffectInstance *>(std::calloc(1, sizeof(EffectInstance)));
    if (!inst) return nullptr;
    SparkSettings &sparks = inst->sparks;
    sparks.objectItem = context;
    sparks.pointCount = plix::host::objectPointCount(context);
    if (sparks.pointCount < 0) { // no array can have a negative length
        std::free(inst);
        return nullptr;
    }
    if (sparks.pointCount > 0) {
        sparks.points = static_cast<SparkPoint *>(
            std::calloc(static_cast<size_t>(sparks.pointCount), sizeof(SparkPoint)));
        if (!sparks.points) {
            std::free(inst);
            return nullptr;
        }
    }
    applyDefaults(sparks);
    randomiseVelocities(sparks);
    randomiseLifetimes(sparks);
    inst->particleSystem = plix::host::particleCreate(PLIX_BUFFER_FLAGS, 0);
    inst->positionBuffer = plix::host::particleBuffer(inst->particleSystem, PLIX_BUFFER_POSITION);
    inst->ageBuffer = plix::host::particleBuffer(inst->particleSystem, PLIX_BUFFER_AGE);
    inst->enableBuffer = plix::host::particleBuffer(inst->particleSystem, PLIX_BUFFER_ENABLE);
    plix::host::particleAttach(inst->particleSystem, sparks.objectItem);
    inst->panelSelf = inst;
    return inst;
}

void destroyInstance(void *instance) noexcept {
    auto *inst = static_cast<EffectInstance *>(instance);
    if (!inst) return;
    std::free(inst->sparks.points);
    std::free(inst);
}

const char *copyInstance(void *destination, void *source) noexcept {
    auto *dst = static_cast<EffectInstance *>(destination);
    const auto *src = static_cast<const EffectInstance *>(source);
    if (dst == src) return nullptr;
    SparkSettings &d = dst->sparks;
    const SparkSettings &s = src->sparks;
    d.v0Min = s.v0Min;
    d.v0Max = s.v0Max;
    d.spreadMin = s.spreadMin;
    d.spreadMax = s.spreadMax;
    d.ageMin = s.ageMin;
    d.ageMax = s.ageMax;
    d.gravity = s.gravity;
    d.regist = s.regist;
    d.birthRate = s.birthRate;
    d.recycle = s.recycle;
    d.startFrame = s.startFrame;
    std::memcpy(d.avoidPos, s.avoidPos, sizeof d.avoidPos);
    std::memcpy(dst->referenceName, src->referenceName, sizeof dst->referenceName);
    // Keep the launch data consistent with the copied settings: take the
    // source's sparks over when the arrays match, else draw them afresh.
    if (d.pointCount == s.pointCount) {
        for (int32_t i = 0; i < d.pointCount; ++i) {
            std::memcpy(d.points[i].velocity, s.points[i].velocity, sizeof d.points[i].velocity);
            d.points[i].lifetime = s.points[i].lifetime;
        }
    } else {
        randomiseVelocities(d);
        randomiseLifetimes(d);
    }
    return nullptr;
}

const char *describeInstance(void *instance) noexcept {
    auto *inst = static_cast<EffectInstance *>(instance);
    static constexpr char text[] = "PLIX! ver. 1.0";
    std::memcpy(inst->description, text, sizeof text);
    return inst->description;
}

const void **useItems(void *) noexcept { return nullptr; }
void changeItemIds(void *, const void **) noexcept {}
const char *renderInit(void *, int) noexcept { return nullptr; }
void renderCleanup(void *) noexcept {}
