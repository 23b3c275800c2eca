#include "bench/cheap_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plix/host/service_abi.h"

namespace plix::bench {
namespace {

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "cheap host: %s\n", what);
    std::abort();
}

// The one object: its item identifier and the point count create will see.
int objectToken;
int objectPoints;

int numPoints(void *) { return objectPoints; }

void itemParam(void *, int code, double, double out[3]) {
    static const double axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    static const double position[3] = {1.5, 2.0, -0.5};
    const double *v = code == PLIX_PARAM_W_POSITION ? position : axes[code - PLIX_PARAM_RIGHT];
    out[0] = v[0];
    out[1] = v[1];
    out[2] = v[2];
}

// The particle system's three buffers, told apart by their handles.
ParticleArrays *arrays;
int systemToken;
int positionToken, ageToken, enableToken;

void *particleCreate(int, int) { return &systemToken; }
int particleInit(void *, int count) {
    const auto n = static_cast<size_t>(count);
    if (arrays->enabled.size() != n) { // a frame of the same size reuses them
        arrays->positions.assign(3 * n, 0.0f);
        arrays->ages.assign(n, 0.0f);
        arrays->enabled.assign(n, 0);
    }
    return 1;
}
void particleCleanup(void *) {}
void particleAttach(void *, void *) {}
void *particleBuffer(void *, int flag) {
    switch (flag) {
    case PLIX_BUFFER_POSITION: return &positionToken;
    case PLIX_BUFFER_AGE: return &ageToken;
    default: return &enableToken;
    }
}
void particleSet(void *buffer, int index, const void *data) {
    const auto i = static_cast<size_t>(index);
    if (buffer == &positionToken)
        std::memcpy(&arrays->positions[3 * i], data, 3 * sizeof(float));
    else if (buffer == &ageToken)
        std::memcpy(&arrays->ages[i], data, sizeof(float));
    else
        std::memcpy(&arrays->enabled[i], data, 1);
}

// The panel toolkit: only the set callback is kept.
int panelToken;
XPanelSetFunc *panelSet;
void *panelCreate(int, const ControlRow *) { return &panelToken; }
void panelDescribe(void *, const DataRow *, XPanelGetFunc *, XPanelSetFunc *set) { panelSet = set; }
void panelHint(void *, unsigned int, void *) {}
void panelUserData(void *, unsigned int, void *) {}
void panelInstance(void *, void *) {}

template <class Fn>
void put(void **table, int slot, Fn *entry) {
    table[slot] = reinterpret_cast<void *>(entry);
}

void *objectInfoTable[PLIX_OBJECT_INFO_SLOTS];
void *itemInfoTable[PLIX_ITEM_INFO_SLOTS];
void *particleTable[PLIX_PARTICLE_SLOTS];
void *xpanelTable[PLIX_XPANEL_SLOTS];

void *global(const char *name, int) {
    if (!std::strcmp(name, PLIX_SERVICE_OBJECT_INFO)) return objectInfoTable;
    if (!std::strcmp(name, PLIX_SERVICE_ITEM_INFO)) return itemInfoTable;
    if (!std::strcmp(name, PLIX_SERVICE_PARTICLES)) return particleTable;
    if (!std::strcmp(name, PLIX_SERVICE_XPANEL)) return xpanelTable;
    return nullptr;
}

// Scene block streams over one text of newline-ended lines.
std::string savedBlock;
void writeLine(void *, const char *text, int) {
    savedBlock += text;
    savedBlock += '\n';
}
struct Reader {
    const char *next;
};
int readLine(void *data, char *buf, int max) {
    auto *reader = static_cast<Reader *>(data);
    if (!*reader->next) return -1;
    const char *end = std::strchr(reader->next, '\n');
    if (!end) end = reader->next + std::strlen(reader->next);
    int length = static_cast<int>(end - reader->next);
    if (length > max - 1) length = max - 1;
    std::memcpy(buf, reader->next, static_cast<size_t>(length));
    buf[length] = 0;
    reader->next = *end ? end + 1 : end;
    return length;
}

} // namespace

CheapHost::CheapHost(const char *modulePath) {
    put(objectInfoTable, PLIX_OBJECT_NUM_POINTS, numPoints);
    put(itemInfoTable, PLIX_ITEM_PARAM, itemParam);
    put(particleTable, PLIX_PARTICLE_CREATE, particleCreate);
    put(particleTable, PLIX_PARTICLE_INIT, particleInit);
    put(particleTable, PLIX_PARTICLE_CLEANUP, particleCleanup);
    put(particleTable, PLIX_PARTICLE_ATTACH, particleAttach);
    put(particleTable, PLIX_PARTICLE_BUFFER, particleBuffer);
    put(particleTable, PLIX_PARTICLE_SET, particleSet);
    put(xpanelTable, PLIX_XPANEL_CREATE, panelCreate);
    put(xpanelTable, PLIX_XPANEL_DESCRIBE, panelDescribe);
    put(xpanelTable, PLIX_XPANEL_HINT, panelHint);
    put(xpanelTable, PLIX_XPANEL_USER_DATA, panelUserData);
    put(xpanelTable, PLIX_XPANEL_INSTANCE, panelInstance);
    arrays = &particles;

    std::string error;
    module_ = platform::ModuleLibrary::open(modulePath, &error);
    if (!module_.isOpen()) fail(error.c_str());
    auto *descriptor = static_cast<ModuleDescriptor *>(module_.symbol(PLIX_DESCRIPTOR_SYMBOL));
    if (!descriptor || descriptor->sync != PLIX_MODULE_SYNC) fail("no module descriptor");
    void *serverData = descriptor->startup();
    ActivateFunc *activateHandler = nullptr;
    for (const ServerRow *row = descriptor->servers; row->className; ++row) {
        if (!std::strcmp(row->className, "DisplacementHandler")) activateHandler = row->activate;
        if (!std::strcmp(row->className, "DisplacementInterface")) activateInterface_ = row->activate;
    }
    if (!activateHandler || !activateInterface_) fail("servers missing");

    void *instanceTable[PLIX_INSTANCE_TABLE_SLOTS] = {};
    void *itemTable[PLIX_ITEM_TABLE_SLOTS] = {};
    void *renderTable[PLIX_RENDER_TABLE_SLOTS] = {};
    DisplacementHandler handler = {instanceTable, itemTable, renderTable, nullptr, nullptr};
    if (activateHandler(PLIX_INTERFACE_VERSION, global, &handler, serverData) != PLIX_ACTIVATE_OK)
        fail("handler activation");
    create_ = reinterpret_cast<CreateEntry *>(instanceTable[PLIX_INSTANCE_CREATE]);
    destroy_ = reinterpret_cast<DestroyEntry *>(instanceTable[PLIX_INSTANCE_DESTROY]);
    load_ = reinterpret_cast<LoadEntry *>(instanceTable[PLIX_INSTANCE_LOAD]);
    save_ = reinterpret_cast<SaveEntry *>(instanceTable[PLIX_INSTANCE_SAVE]);
    newTime_ = reinterpret_cast<NewTimeEntry *>(renderTable[PLIX_RENDER_NEW_TIME]);
    evaluate_ = reinterpret_cast<EvaluateEntry *>(handler.evaluate);
}

void *CheapHost::create(int pointCount) {
    objectPoints = pointCount;
    void *instance = create_(nullptr, &objectToken, nullptr);
    if (!instance) fail("create");
    return instance;
}

void CheapHost::destroy(void *instance) { destroy_(instance); }

void CheapHost::setSetting(void *instance, unsigned int id, const void *value) {
    DisplacementInterface record = {instance, nullptr, nullptr, nullptr};
    panelSet = nullptr;
    if (activateInterface_(PLIX_INTERFACE_VERSION, global, &record, nullptr) != PLIX_ACTIVATE_OK ||
        !panelSet)
        fail("panel");
    panelSet(instance, id, const_cast<void *>(value));
}

void CheapHost::frame(void *instance, int frameNumber, double time, int pointCount, PositionReading reading) {
    arrays = &particles; // several hosts (one per module) share the services
    newTime_(instance, frameNumber, time);
    const auto n = static_cast<size_t>(pointCount);
    if (displaced.size() != 3 * n) displaced.assign(3 * n, 0.0);
    double *out = displaced.data();
    DisplacementAccess access = {};
    if (reading == PositionReading::asOneBlock) {
        for (size_t i = 0; i < n; ++i) {
            evaluate_(instance, &access);
            std::memcpy(out + 3 * i, access.newPos, sizeof access.newPos);
        }
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        evaluate_(instance, &access);
        out[3 * i] = access.newPos[0];
        out[3 * i + 1] = access.newPos[1];
        out[3 * i + 2] = access.newPos[2];
    }
}

const char *CheapHost::save(void *instance) {
    savedBlock.clear();
    SaveState state = {nullptr, nullptr, writeLine};
    save_(instance, &state);
    return savedBlock.c_str();
}

void CheapHost::load(void *instance, const char *block) {
    Reader reader = {block};
    LoadState state = {nullptr, &reader, readLine};
    load_(instance, &state);
}

} // namespace plix::bench
