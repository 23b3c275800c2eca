/* Host services the module calls, by slot (pointer-sized, counted from 0).
 * Results not named are ignored by the module. */
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
typedef int ObjectNumPointsFunc(void *objectItem);

/* "LW Item Info" */
enum { PLIX_ITEM_PARAM = 9, PLIX_ITEM_INFO_SLOTS = 10 };
enum {
    PLIX_PARAM_RIGHT = 2,    /* world direction of the object's x axis */
    PLIX_PARAM_UP = 3,       /* ... y axis */
    PLIX_PARAM_FORWARD = 4,  /* ... z axis */
    PLIX_PARAM_W_POSITION = 8
};
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
    PLIX_BUFFER_FLAGS = 0x1021
};
typedef void *ParticleCreateFunc(int bufferFlags, int type);
typedef int ParticleInitFunc(void *system, int count);
typedef void ParticleCleanupFunc(void *system);
typedef void ParticleAttachFunc(void *system, void *item);
typedef void *ParticleBufferFunc(void *system, int flag);
typedef void ParticleSetFunc(void *buffer, int index, const void *data);

/* "LWXPanel" */
enum {
    PLIX_XPANEL_CREATE = 2,
    PLIX_XPANEL_DESCRIBE = 4,
    PLIX_XPANEL_HINT = 7,
    PLIX_XPANEL_USER_DATA = 9,
    PLIX_XPANEL_INSTANCE = 10,
    PLIX_XPANEL_SLOTS = 11
};
#define PLIX_XPANEL_KIND_FORM 1
typedef struct ControlRow {
    unsigned int id;
    const char *label;
    const char *type;
} ControlRow;
typedef struct DataRow {
    unsigned int id;
    const char *name;
    const char *type;
} DataRow;
typedef void *XPanelGetFunc(void *instance, unsigned int id);
typedef int XPanelSetFunc(void *instance, unsigned int id, void *value);
typedef void *XPanelCreateFunc(int kind, const ControlRow *controls);
typedef void XPanelDescribeFunc(void *panel, const DataRow *data, XPanelGetFunc *get, XPanelSetFunc *set);
typedef void XPanelHintFunc(void *panel, unsigned int id, void *instance);
typedef void XPanelUserDataFunc(void *panel, unsigned int id, void *addressOfInstance);
typedef void XPanelInstanceFunc(void *panel, void *instance);

/* Four-character identifiers, first character in the most significant byte. */
#define PLIX_ID4(a, b, c, d) \
    ((((unsigned int)(a)) << 24) | (((unsigned int)(b)) << 16) | (((unsigned int)(c)) << 8) | ((unsigned int)(d)))

#ifdef __cplusplus
}
#endif

#endif
