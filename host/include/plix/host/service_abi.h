/* Host services the module calls, by slot (pointer-sized, counted from 0).
 * Results not named are ignored by the module, and no result is tested
 * unless its slot says so.
 *
 * Every service call is made by an entry of the module (handler_abi.h) on
 * the thread that called that entry, before the entry returns. When the host
 * runs entries of different instances on several threads at once, these
 * services are called from those threads at once. Handles the host hands out
 * (items, particle systems, buffers, panels) are opaque: the module stores
 * them and passes them back, never looks inside. */
#ifndef PLIX_HOST_SERVICE_ABI_H
#define PLIX_HOST_SERVICE_ABI_H

#ifdef __cplusplus
extern "C" {
#endif

#define PLIX_SERVICE_OBJECT_INFO "LW Object Info"
#define PLIX_SERVICE_ITEM_INFO "LW Item Info"
#define PLIX_SERVICE_PARTICLES "Particle Services"
#define PLIX_SERVICE_XPANEL "LWXPanel"

/* "LW Object Info" */
enum { PLIX_OBJECT_NUM_POINTS = 1, PLIX_OBJECT_INFO_SLOTS = 2 };
/* The object's point count, asked once by create: the number of sparks, and
 * of evaluate calls the effect expects per frame. Tested: a negative count
 * makes create fail. */
typedef int ObjectNumPointsFunc(void *objectItem);

/* "LW Item Info" */
enum { PLIX_ITEM_PARAM = 9, PLIX_ITEM_INFO_SLOTS = 10 };
enum {
    PLIX_PARAM_RIGHT = 2,     /* world direction of the object's x axis */
    PLIX_PARAM_UP = 3,        /* ... y axis */
    PLIX_PARAM_FORWARD = 4,   /* ... z axis */
    PLIX_PARAM_W_POSITION = 8 /* the object's world position */
};
/* Writes three doubles into `out`: the parameter `code` of `item` at `time`
 * (seconds). Called by newTime four times per spark in flight, in point
 * order, at that spark's birth time: right, up, forward, world position. The
 * entry is looked up once per frame. */
typedef void ItemParamFunc(void *item, int code, double time, double out[3]);

/* "Particle Services" */
enum {
    PLIX_PARTICLE_CREATE = 0,
    PLIX_PARTICLE_INIT = 2,
    PLIX_PARTICLE_CLEANUP = 3,
    PLIX_PARTICLE_ATTACH = 7,
    PLIX_PARTICLE_BUFFER = 11,
    PLIX_PARTICLE_SET = 15,
    PLIX_PARTICLE_SLOTS = 16
};
enum {
    PLIX_BUFFER_POSITION = 0x1,   /* three floats */
    PLIX_BUFFER_AGE = 0x20,       /* one float */
    PLIX_BUFFER_ENABLE = 0x1000,  /* one byte */
    PLIX_BUFFER_FLAGS = 0x1021    /* all three */
};
/* create, once per instance: a system with PLIX_BUFFER_FLAGS and type 0. The
 * system stays the host's; destroy neither detaches nor releases it. */
typedef void *ParticleCreateFunc(int bufferFlags, int type);
/* newTime, after the sparks have moved: one particle per spark. */
typedef int ParticleInitFunc(void *system, int count);
/* newTime, first of all: empties the system for the new frame. */
typedef void ParticleCleanupFunc(void *system);
/* create, last: attaches the system to the instance's object. */
typedef void ParticleAttachFunc(void *system, void *item);
/* create, after the system: the buffers for PLIX_BUFFER_POSITION, _AGE and
 * _ENABLE, in this order. Stored as received, null included. */
typedef void *ParticleBufferFunc(void *system, int flag);
/* newTime, three calls per spark in point order after init: position (three
 * floats), age (one float: age over lifetime times 30), enable (one byte, 1).
 * `data` is the module's, valid during the call only; `index` counts from 0.
 * The entry is looked up once per frame. */
typedef void ParticleSetFunc(void *buffer, int index, const void *data);

/* "LWXPanel": looked up anew by each DisplacementInterface activation, which
 * calls, in this order: create (no further call when it returns null),
 * describe, instance, hint with id 0, user data with id 'plix'. */
enum {
    PLIX_XPANEL_CREATE = 2,
    PLIX_XPANEL_DESCRIBE = 4,
    PLIX_XPANEL_HINT = 7,
    PLIX_XPANEL_USER_DATA = 9,
    PLIX_XPANEL_INSTANCE = 10,
    PLIX_XPANEL_SLOTS = 11
};
#define PLIX_XPANEL_KIND_FORM 1
/* Rows of the module's two panel tables (static, valid while the module is
 * loaded), each ended by an all-zero row; both list the same identifiers in
 * the same order. */
typedef struct ControlRow {
    unsigned int id;  /* PLIX_ID4 */
    const char *label;
    const char *type; /* control kind */
} ControlRow;
typedef struct DataRow {
    unsigned int id;
    const char *name; /* same text as the control's label */
    const char *type; /* value kind: "float" one double, "integer" one int,
                         "float3" three doubles */
} DataRow;
/* The module's callbacks, called by the toolkit with the instance the panel
 * shows. get returns the address of the instance's own field to show (each
 * pair of bounds sorted; the storage keeps the user's order), valid while
 * the instance lives, or null for an identifier without a setting. set
 * copies the value at `value` into the setting unchecked, draws the launch
 * data again (from the calling thread's sequence) for a speed, spread or age
 * bound, and returns 1. Both are entries of that instance: they must not
 * overlap any other entry of it. */
/* [thread: any; overlaps no set, newTime, load or copy of the instance] */
typedef void *XPanelGetFunc(void *instance, unsigned int id);
/* [thread: any; overlaps no other entry or callback of the instance] */
typedef int XPanelSetFunc(void *instance, unsigned int id, void *value);
/* Makes a form panel from the control table; null when it cannot. */
typedef void *XPanelCreateFunc(int kind, const ControlRow *controls);
/* Binds the data table and the two callbacks to the panel. */
typedef void XPanelDescribeFunc(void *panel, const DataRow *data, XPanelGetFunc *get, XPanelSetFunc *set);
/* Called once, with id 0 and the instance the panel shows. */
typedef void XPanelHintFunc(void *panel, unsigned int id, void *instance);
/* `addressOfInstance` points into the instance and holds the instance; the
 * toolkit may keep it until the instance is destroyed. */
typedef void XPanelUserDataFunc(void *panel, unsigned int id, void *addressOfInstance);
/* Called once, with the instance the panel shows: the one the toolkit hands
 * to get and set. */
typedef void XPanelInstanceFunc(void *panel, void *instance);

/* Four-character identifiers, first character in the most significant byte. */
#define PLIX_ID4(a, b, c, d) \
    ((((unsigned int)(a)) << 24) | (((unsigned int)(b)) << 16) | (((unsigned int)(c)) << 8) | ((unsigned int)(d)))

#ifdef __cplusplus
}
#endif

#endif
