/* Module descriptor and server table: what a host reads from a loaded module
 * file before it calls anything else. Plain C records, shared by the module and
 * every host (the sandbox, tests). */
#ifndef PLIX_HOST_PLUGIN_ABI_H
#define PLIX_HOST_PLUGIN_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PLIX_MODULE_SYNC 0x04121994u
#define PLIX_MODULE_DESCRIPTOR_VERSION 3u
#define PLIX_MODULE_MACHINE 0x300u
#define PLIX_DESCRIPTOR_SYMBOL "_mod_descrip"

/* The only interface version the module's servers accept. */
#define PLIX_INTERFACE_VERSION 4

/* Activation results. */
enum {
    PLIX_ACTIVATE_OK = 0,
    PLIX_ACTIVATE_BAD_VERSION = 1,
    PLIX_ACTIVATE_MISSING_SERVICE = 2
};

/* The host's global lookup: a service table by name, or null. */
typedef void *GlobalFunc(const char *serviceName, int useCode);

/* Activation entry of one server. `local` is the record the server fills;
 * `serverData` is what startup returned (never read by this module).
 * Thread: host's main thread, never while an entry of the effect runs. */
typedef int ActivateFunc(int version, GlobalFunc *global, void *local, void *serverData);

typedef struct ServerRow {
    const char *className;
    const char *name;
    ActivateFunc *activate;
    void *reserved;
} ServerRow;

typedef struct ModuleDescriptor {
    uint32_t sync;
    uint32_t version;
    uint32_t machine;
    void *(*startup)(void);     /* returns the server data, (void *)4 */
    void (*shutdown)(void *);   /* does nothing */
    const ServerRow *servers;   /* ended by an all-zero row */
} ModuleDescriptor;

#ifdef __cplusplus
}
#endif

#endif
