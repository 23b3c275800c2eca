/* Module descriptor and server table: what a host reads from a loaded module
 * file before it calls anything else. Plain C records, shared by the module and
 * every host (the sandbox, tests). */
#ifndef PLIX_HOST_PLUGIN_ABI_H
#define PLIX_HOST_PLUGIN_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The first three words of the descriptor, which a host checks before it
 * calls anything: the sync word that marks a module file of this interface,
 * the descriptor's layout version, and the machine the module was built for
 * (0x300: the one kind of machine this interface knows). A host refuses a file
 * whose words differ. */
#define PLIX_MODULE_SYNC 0x04121994u
#define PLIX_MODULE_DESCRIPTOR_VERSION 3u
#define PLIX_MODULE_MACHINE 0x300u
/* The one symbol the module file exports: a ModuleDescriptor. */
#define PLIX_DESCRIPTOR_SYMBOL "_mod_descrip"

/* The server table's two rows: one server name under two classes. */
#define PLIX_SERVER_NAME "PLIX!"
#define PLIX_CLASS_DISPLACEMENT_HANDLER "DisplacementHandler"
#define PLIX_CLASS_DISPLACEMENT_INTERFACE "DisplacementInterface"

/* The only interface version the module's servers accept. */
#define PLIX_INTERFACE_VERSION 4

/* Activation results. */
enum {
    PLIX_ACTIVATE_OK = 0,
    PLIX_ACTIVATE_BAD_VERSION = 1,
    PLIX_ACTIVATE_MISSING_SERVICE = 2
};

/* The host's global lookup: a service table by name, or null. The module
 * always passes 0 as `useCode`. A table the module keeps (the three the
 * DisplacementHandler activation looks up) must stay valid while any
 * instance lives. */
typedef void *GlobalFunc(const char *serviceName, int useCode);

/* Activation entry of one server, called before the host uses it. `local` is
 * the record the server fills (handler_abi.h); `serverData` is what startup
 * returned (never read by this module). Returns a PLIX_ACTIVATE_ result.
 *
 * DisplacementHandler: looks up "LW Object Info", "LW Item Info" and
 * "Particle Services", in this order and all three, and keeps them for the
 * whole module, replacing what an earlier activation kept even when this one
 * fails; a missing service gives PLIX_ACTIVATE_MISSING_SERVICE whatever the
 * version. On success it writes every entry into the record. The entries use
 * the services of the last activation: after one that failed, none of them
 * may be called until another succeeds.
 * DisplacementInterface: looks up "LWXPanel" and builds a panel over
 * `local`'s instance; PLIX_ACTIVATE_OK also when no panel could be made.
 *
 * Thread: any, but never while an entry of the effect runs (the handler's
 * activation writes module-wide state without a lock; the interface's writes
 * into the instance it shows). */
typedef int ActivateFunc(int version, GlobalFunc *global, void *local, void *serverData);

typedef struct ServerRow {
    const char *className;
    const char *name;
    ActivateFunc *activate;
    void *reserved;
} ServerRow;

/* Order: the host loads the file, checks sync, version and machine, calls
 * startup once, reads the server table, activates servers and uses the
 * effect, and at last calls shutdown once, after every instance is destroyed.
 * Nothing of the module (no entry, no table it filled) is called after
 * shutdown; the host unloads the file then. */
typedef struct ModuleDescriptor {
    uint32_t sync;              /* PLIX_MODULE_SYNC */
    uint32_t version;           /* PLIX_MODULE_DESCRIPTOR_VERSION */
    uint32_t machine;           /* PLIX_MODULE_MACHINE */
    /* Called once after loading, before any activation; returns the server
     * data, (void *)4. [main thread; overlaps nothing] */
    void *(*startup)(void);
    /* Called once, last, with what startup returned; does nothing, as the
     * module keeps nothing to release. [main thread; no instance alive] */
    void (*shutdown)(void *);
    const ServerRow *servers;   /* ended by an all-zero row; static, read any time before shutdown */
} ModuleDescriptor;

#ifdef __cplusplus
}
#endif

#endif
