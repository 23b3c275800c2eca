/* Records and entry tables of the displacement handler and interface servers.
 * The host owns every record and table; the module only writes entries into
 * them. Tables are arrays of pointer-sized slots counted from 0. */
#ifndef PLIX_HOST_HANDLER_ABI_H
#define PLIX_HOST_HANDLER_ABI_H

#ifdef __cplusplus
extern "C" {
#endif

/* One call of evaluate. The module writes newPos and reads nothing. */
typedef struct DisplacementAccess {
    double oldPos[3];
    double newPos[3];
    void *pointId; /* further host data follows; never read */
} DisplacementAccess;

/* Stream states handed to load and save. Field 0 is never read. */
typedef struct LoadState {
    void *unused;
    void *hostData;
    /* Reads the next line, at most `max` bytes with its terminating zero.
     * A negative result, or an empty text, means the stream is exhausted. */
    int (*read)(void *hostData, char *buf, int max);
} LoadState;

typedef struct SaveState {
    void *unused;
    void *hostData;
    /* Writes one line; `lengthWithZero` counts the terminating zero. */
    void (*write)(void *hostData, const char *text, int lengthWithZero);
} SaveState;

/* Filled by the DisplacementHandler activation. */
typedef struct DisplacementHandler {
    void **instanceTable;
    void **itemTable;
    void **renderTable;
    void *evaluate;
    void *flags;
} DisplacementHandler;

/* Filled by the DisplacementInterface activation. */
typedef struct DisplacementInterface {
    void *instance; /* read: the effect instance to show */
    void *panel;    /* written */
    void *options;  /* written: null */
    void *command;  /* written: null */
} DisplacementInterface;

/* Instance table slots. Slot 0 is never written. Every entry of one instance
 * runs on the host's thread, one at a time. */
enum {
    PLIX_INSTANCE_CREATE = 1,
    PLIX_INSTANCE_DESTROY = 2,
    PLIX_INSTANCE_COPY = 3,
    PLIX_INSTANCE_LOAD = 4,
    PLIX_INSTANCE_SAVE = 5,
    PLIX_INSTANCE_DESCRIBE = 6,
    PLIX_INSTANCE_TABLE_SLOTS = 7
};
enum { PLIX_ITEM_USE_ITEMS = 0, PLIX_ITEM_CHANGE_ID = 1, PLIX_ITEM_TABLE_SLOTS = 2 };
enum {
    PLIX_RENDER_INIT = 0,
    PLIX_RENDER_CLEANUP = 1,
    PLIX_RENDER_NEW_TIME = 2,
    PLIX_RENDER_TABLE_SLOTS = 3
};

typedef void *CreateEntry(void *priv, void *context, const char **errorText);
typedef void DestroyEntry(void *instance);
typedef const char *CopyEntry(void *destination, void *source);
typedef const char *LoadEntry(void *instance, const LoadState *state);
typedef const char *SaveEntry(void *instance, const SaveState *state);
typedef const char *DescribeEntry(void *instance);
typedef const void **UseItemsEntry(void *instance);
typedef void ChangeIdEntry(void *instance, const void **ids);
typedef const char *RenderInitEntry(void *instance, int mode);
typedef void RenderCleanupEntry(void *instance);
typedef const char *NewTimeEntry(void *instance, int frame, double time);
typedef void EvaluateEntry(void *instance, DisplacementAccess *access);
typedef unsigned int FlagsEntry(void *instance);

/* Bit 0 of the flags result: positions are world coordinates. */
#define PLIX_FLAG_WORLD_POSITIONS 1u

#ifdef __cplusplus
}
#endif

#endif
