/* Loads a built module file as a host does and checks what the host relies
 * on first: the descriptor, the server table, both outcomes of the handler
 * activation, and one instance's round through create, new-time, evaluate and
 * destroy. Plain C and the operating system's own loader, so it runs the same
 * on Linux and (under wine) on Windows: module_file_check PATH/plix6.p */
#include <stdio.h>
#include <string.h>

#include "plix/host/abi_layout.h"

#ifdef _WIN32
#include <windows.h>
static void *openModule(const char *path) { return (void *)LoadLibraryA(path); }
static void *findSymbol(void *module, const char *name) {
    FARPROC address = GetProcAddress((HMODULE)module, name);
    void *symbol;
    memcpy(&symbol, &address, sizeof symbol); /* the descriptor is data, not code */
    return symbol;
}
#else
#include <dlfcn.h>
static void *openModule(const char *path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void *findSymbol(void *module, const char *name) { return dlsym(module, name); }
#endif

static int failures = 0;
#define CHECK(cond)                                                          \
    do {                                                                     \
        if (!(cond)) {                                                       \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                      \
        }                                                                    \
    } while (0)

/* A minimal host: an object of three points standing at the origin. */
enum { OBJECT_POINTS = 3 };
static char objectItem, particleSystem, particleBuffer;

static int numPoints(void *item) { return item == &objectItem ? OBJECT_POINTS : 0; }
static void itemParam(void *item, int code, double time, double out[3]) {
    (void)item, (void)time;
    out[0] = code == PLIX_PARAM_RIGHT, out[1] = code == PLIX_PARAM_UP, out[2] = code == PLIX_PARAM_FORWARD;
}
static void *particleCreate(int flags, int type) { return (void)flags, (void)type, &particleSystem; }
static int particleInit(void *system, int count) { return (void)system, count; }
static void particleVoid(void *system) { (void)system; }
static void particleAttach(void *system, void *item) { (void)system, (void)item; }
static void *particleBufferOf(void *system, int flag) { return (void)system, (void)flag, &particleBuffer; }
static void particleSet(void *buffer, int index, const void *data) { (void)buffer, (void)index, (void)data; }

static void *objectInfo[PLIX_OBJECT_INFO_SLOTS];
static void *itemInfo[PLIX_ITEM_INFO_SLOTS];
static void *particles[PLIX_PARTICLE_SLOTS];
static int withoutParticles;
static char lookups[3][32];
static int lookupCount;

static void *globalLookup(const char *name, int useCode) {
    CHECK(useCode == 0);
    if (lookupCount < 3) snprintf(lookups[lookupCount], sizeof lookups[0], "%s", name);
    ++lookupCount;
    if (strcmp(name, PLIX_SERVICE_OBJECT_INFO) == 0) return objectInfo;
    if (strcmp(name, PLIX_SERVICE_ITEM_INFO) == 0) return itemInfo;
    if (strcmp(name, PLIX_SERVICE_PARTICLES) == 0) return withoutParticles ? NULL : particles;
    return NULL;
}

/* Entry pointers travel through pointer-sized void * slots, as they do in the
 * host's tables; memcpy carries them across without a conversion. */
typedef void AnyEntry(void);
static AnyEntry *entryOf(void *slot) {
    AnyEntry *entry;
    memcpy(&entry, &slot, sizeof entry);
    return entry;
}
static void setSlot(void **slot, AnyEntry *entry) { memcpy(slot, &entry, sizeof entry); }
#define ENTRY(type, slot) ((type *)entryOf(slot))
#define SET_SLOT(table, slot, fn) setSlot(&(table)[slot], (AnyEntry *)(fn))

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: module_file_check MODULE\n");
        return 2;
    }
    void *module = openModule(argv[1]);
    if (!module) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    const ModuleDescriptor *descriptor = (const ModuleDescriptor *)findSymbol(module, PLIX_DESCRIPTOR_SYMBOL);
    if (!descriptor) {
        fprintf(stderr, "%s does not export %s\n", argv[1], PLIX_DESCRIPTOR_SYMBOL);
        return 1;
    }
    CHECK(descriptor->sync == PLIX_MODULE_SYNC);
    CHECK(descriptor->version == PLIX_MODULE_DESCRIPTOR_VERSION);
    CHECK(descriptor->machine == PLIX_MODULE_MACHINE);
    void *serverData = descriptor->startup();
    CHECK(serverData == (void *)(uintptr_t)4);

    const ServerRow *rows = descriptor->servers;
    static const char *const classes[] = {"DisplacementHandler", "DisplacementInterface"};
    for (int i = 0; i < 2; ++i) {
        CHECK(rows[i].className && strcmp(rows[i].className, classes[i]) == 0);
        CHECK(rows[i].name && strcmp(rows[i].name, "PLIX!") == 0);
        CHECK(rows[i].activate != NULL);
        CHECK(rows[i].reserved == NULL);
    }
    CHECK(!rows[2].className && !rows[2].name && !rows[2].activate && !rows[2].reserved);

    SET_SLOT(objectInfo, PLIX_OBJECT_NUM_POINTS, numPoints);
    SET_SLOT(itemInfo, PLIX_ITEM_PARAM, itemParam);
    SET_SLOT(particles, PLIX_PARTICLE_CREATE, particleCreate);
    SET_SLOT(particles, PLIX_PARTICLE_INIT, particleInit);
    SET_SLOT(particles, PLIX_PARTICLE_CLEANUP, particleVoid);
    SET_SLOT(particles, PLIX_PARTICLE_ATTACH, particleAttach);
    SET_SLOT(particles, PLIX_PARTICLE_BUFFER, particleBufferOf);
    SET_SLOT(particles, PLIX_PARTICLE_SET, particleSet);

    void *instanceTable[PLIX_INSTANCE_TABLE_SLOTS] = {0};
    void *itemTable[PLIX_ITEM_TABLE_SLOTS] = {0};
    void *renderTable[PLIX_RENDER_TABLE_SLOTS] = {0};
    DisplacementHandler handler = {instanceTable, itemTable, renderTable, NULL, NULL};

    /* A missing service wins over a wrong version; neither writes the record. */
    withoutParticles = 1;
    CHECK(rows[0].activate(3, globalLookup, &handler, serverData) == PLIX_ACTIVATE_MISSING_SERVICE);
    CHECK(lookupCount == 3 && strcmp(lookups[0], PLIX_SERVICE_OBJECT_INFO) == 0 &&
          strcmp(lookups[1], PLIX_SERVICE_ITEM_INFO) == 0 && strcmp(lookups[2], PLIX_SERVICE_PARTICLES) == 0);
    withoutParticles = 0;
    CHECK(rows[0].activate(3, globalLookup, &handler, serverData) == PLIX_ACTIVATE_BAD_VERSION);
    CHECK(!instanceTable[PLIX_INSTANCE_CREATE] && !handler.evaluate && !handler.flags);

    CHECK(rows[0].activate(PLIX_INTERFACE_VERSION, globalLookup, &handler, serverData) == PLIX_ACTIVATE_OK);
    CHECK(instanceTable[0] == NULL);
    for (int slot = 1; slot < PLIX_INSTANCE_TABLE_SLOTS; ++slot) CHECK(instanceTable[slot] != NULL);
    for (int slot = 0; slot < PLIX_ITEM_TABLE_SLOTS; ++slot) CHECK(itemTable[slot] != NULL);
    for (int slot = 0; slot < PLIX_RENDER_TABLE_SLOTS; ++slot) CHECK(renderTable[slot] != NULL);
    CHECK(handler.evaluate && handler.flags);
    if (failures) return 1;

    /* Before the start frame every spark is parked at (-100, -100, 0); calls
     * beyond the last point repeat the last spark. */
    void *instance = ENTRY(CreateEntry, instanceTable[PLIX_INSTANCE_CREATE])(NULL, &objectItem, NULL);
    CHECK(instance != NULL);
    if (!instance) return 1;
    CHECK(ENTRY(NewTimeEntry, renderTable[PLIX_RENDER_NEW_TIME])(instance, -1, -1.0 / 30.0) == NULL);
    for (int i = 0; i <= OBJECT_POINTS; ++i) {
        DisplacementAccess access;
        memset(&access, 0, sizeof access);
        ENTRY(EvaluateEntry, handler.evaluate)(instance, &access);
        CHECK(access.newPos[0] == -100.0 && access.newPos[1] == -100.0 && access.newPos[2] == 0.0);
    }
    CHECK(ENTRY(FlagsEntry, handler.flags)(instance) & PLIX_FLAG_WORLD_POSITIONS);
    ENTRY(DestroyEntry, instanceTable[PLIX_INSTANCE_DESTROY])(instance);
    descriptor->shutdown(serverData);

    if (failures) return 1;
    printf("%s: descriptor, servers, activation and one instance as a host sees them: ok\n", argv[1]);
    return 0;
}
