/* The displacement handler and its interface server: the records the host
 * hands over and the entries the module writes into the host's tables.
 *
 * The host owns every record and table; the module only writes entries into
 * them. Tables are arrays of pointer-sized slots counted from 0.
 *
 * Life of one instance, in the host's order
 * -----------------------------------------
 *   activate "DisplacementHandler"     fills DisplacementHandler (plugin_abi.h)
 *   create(priv, objectItem, &error)   -> instance; the module counts the
 *                                      object's points once, draws every
 *                                      spark's launch data, creates and
 *                                      attaches one particle system
 *   load(instance, loadState)          when the scene holds a block
 *   for every frame:
 *     newTime(instance, frame, time)   the module calls (service_abi.h), in order:
 *       particle clean-up                          PLIX_PARTICLE_CLEANUP
 *       for every spark in flight, in point order, four item parameters at
 *       its birth time: right, up, forward, world   PLIX_ITEM_PARAM
 *       particle init, one particle per spark      PLIX_PARTICLE_INIT
 *       for every spark, in point order, three set-particle calls:
 *       position, age, enable                      PLIX_PARTICLE_SET
 *     evaluate(instance, access)       once per point, in point order
 *   save(instance, saveState)          when the scene is written
 *   destroy(instance)
 *
 * Between frames the host may also call copy, describe, flags, use-items,
 * change-id, render-init and render-cleanup, and the panel's callbacks
 * (service_abi.h, "LWXPanel"). Every entry but create takes an instance that
 * create returned and destroy has not yet released.
 *
 * Threads
 * -------
 * The module starts no threads, takes no locks and has no atomics. Every
 * entry runs on the thread that calls it, and makes its service calls on that
 * thread, before it returns.
 *  - One instance: its entries and its panel callbacks must not overlap. The
 *    host runs them one after another, in any thread; newTime and the
 *    evaluate calls of that frame share the instance's spark array and its
 *    evaluation cursor.
 *  - Different instances share nothing the entries write, so they may run on
 *    different threads at the same time; the host's services must then be
 *    callable from those threads at once.
 *  - The random generator keeps one state per thread, starting at 1 the
 *    first time a thread draws, never reseeded. Create, a load that finds a
 *    block, a copy between objects of different point counts and a panel
 *    edit of a speed, spread or age bound draw from the calling thread's
 *    sequence: launch data depend on which thread made those calls and in
 *    which order, never on what other threads draw. A host that wants the
 *    same sparks run after run makes them on one thread in one order.
 *  - An activation rewrites the module-wide service references without a
 *    lock: the host runs it while no entry of the effect runs on any thread,
 *    and orders it before them (a thread started after it, or a lock). */
#ifndef PLIX_HOST_HANDLER_ABI_H
#define PLIX_HOST_HANDLER_ABI_H

#ifdef __cplusplus
extern "C" {
#endif

/* One call of evaluate. The module writes newPos and reads nothing; it does
 * not keep the record's address. */
typedef struct DisplacementAccess {
    double oldPos[3];
    double newPos[3];
    void *pointId; /* further host data follows; never read */
} DisplacementAccess;

/* Stream states handed to load and save, valid for that one call. Field 0 is
 * never read; hostData is passed back unchanged as the first argument. */
typedef struct LoadState {
    void *unused;
    void *hostData;
    /* Reads the next line into the module's buffer `buf` of `max` bytes (256
     * for a line, 50 for the reference name after a "REFERENCE" line): at
     * most `max` bytes, with its terminating zero when it fits, without the
     * end-of-line characters. The module clears the buffer before each read
     * and takes a text without its zero as ending at the buffer's end. A
     * negative result, or an empty text, means the stream is exhausted. */
    int (*read)(void *hostData, char *buf, int max);
} LoadState;

typedef struct SaveState {
    void *unused;
    void *hostData;
    /* Writes one line: `text` is the module's, zero-terminated, valid only
     * during the call; `lengthWithZero` counts the terminating zero and is at
     * most 256. Each write becomes one line that a later read gives back. */
    void (*write)(void *hostData, const char *text, int lengthWithZero);
} SaveState;

/* Filled by the DisplacementHandler activation: the host supplies the three
 * tables, the module writes its entries into them and into the last two
 * fields. */
typedef struct DisplacementHandler {
    void **instanceTable; /* PLIX_INSTANCE_TABLE_SLOTS slots */
    void **itemTable;     /* PLIX_ITEM_TABLE_SLOTS slots */
    void **renderTable;   /* PLIX_RENDER_TABLE_SLOTS slots */
    void *evaluate;       /* EvaluateEntry */
    void *flags;          /* FlagsEntry */
} DisplacementHandler;

/* Filled by the DisplacementInterface activation, which builds one settings
 * panel over one instance. */
typedef struct DisplacementInterface {
    void *instance; /* read: the effect instance to show */
    void *panel;    /* written: the toolkit's panel, or null when none was made */
    void *options;  /* written: null */
    void *command;  /* written: null */
} DisplacementInterface;

/* Instance table slots. Slot 0 is never written. */
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

/* Results named "error text" are null for success; every entry of this
 * module returns null there. */

/* Makes the instance for the object `context` (its item identifier); `priv`
 * is not read and `errorText` is never written. Counts the object's points
 * (the point count is fixed from here on), sets the default settings, draws
 * the launch data from the calling thread's sequence, creates a particle
 * system and attaches it to the object. Returns the instance, or null when
 * memory runs out or the object reports a negative point count. First entry
 * of an instance; after an activation that succeeded.
 * [thread: any; draws from that thread's sequence; overlaps no activation] */
typedef void *CreateEntry(void *priv, void *context, const char **errorText);

/* Releases the instance and its sparks; accepts null. Makes no service call:
 * the particle system stays the host's. Last entry of an instance.
 * [thread: any; overlaps no other entry or panel callback of the instance] */
typedef void DestroyEntry(void *instance);

/* Copies the settings (and the reference name) of `source` into
 * `destination`; each keeps its own object, sparks and particle system. With
 * equal point counts the destination takes the source's launch data over,
 * otherwise it draws its own afresh from the calling thread's sequence.
 * Copying onto itself does nothing.
 * Error text: null.
 * [thread: any; overlaps no other entry of either instance] */
typedef const char *CopyEntry(void *destination, void *source);

/* Reads the effect's block through `state`. A line's keyword is its text
 * before the first space, and names the first keyword it is a prefix of. A
 * first line that does not name "PLIX_START" leaves the instance as it was;
 * otherwise the lines up to one naming "PLIX_END" (an empty line, the
 * stream's end, or 4096 lines at most) replace the settings they name, and
 * all launch data are drawn again from the calling thread's sequence.
 * Error text: null; accepts a null instance or state.
 * [thread: any; overlaps no other entry or panel callback of the instance] */
typedef const char *LoadEntry(void *instance, const LoadState *state);

/* Writes the block through `state`: sixteen lines, "PLIX_START", fourteen
 * "Keyword value" lines with six decimals, "PLIX_END". Only reads the
 * instance. Error text: null; accepts a null instance or state.
 * [thread: any; overlaps no entry or panel callback that writes the instance] */
typedef const char *SaveEntry(void *instance, const SaveState *state);

/* The instance's own text, "PLIX! ver. 1.0": its buffer, rewritten on every
 * call, valid until destroy. The host reads it, never frees it.
 * [thread: any; overlaps no other describe of the instance] */
typedef const char *DescribeEntry(void *instance);

/* The items the effect depends on: always null, none.
 * [thread: any; reads nothing] */
typedef const void **UseItemsEntry(void *instance);

/* Told of changed item identifiers; does nothing. [thread: any] */
typedef void ChangeIdEntry(void *instance, const void **ids);

/* Before and after rendering; both do nothing. Error text: null.
 * [thread: any] */
typedef const char *RenderInitEntry(void *instance, int mode);
typedef void RenderCleanupEntry(void *instance);

/* Starts a frame: `frame` as the host counts it, `time` in seconds. Cleans
 * up the particle system, moves every spark (in flight from the start frame
 * on, at the parking position otherwise; the effect counts 30 frames per
 * second whatever the scene's rate), publishes one particle per spark and
 * rewinds the evaluation cursor to the first spark. Error text: null.
 * [thread: any; before that frame's evaluate calls; overlaps no other entry
 *  or panel callback of the instance] */
typedef const char *NewTimeEntry(void *instance, int frame, double time);

/* Writes the position of the next spark into access->newPos, whatever point
 * the record names: the n-th call after newTime gets spark n - 1, every call
 * past the last spark the last spark again; an object without points gets
 * the parking position.
 * [thread: any, the same as newTime's or ordered after it; once per point,
 *  one call at a time; overlaps no other entry of the instance] */
typedef void EvaluateEntry(void *instance, DisplacementAccess *access);

/* How to read evaluate's positions: always PLIX_FLAG_WORLD_POSITIONS.
 * [thread: any; reads nothing] */
typedef unsigned int FlagsEntry(void *instance);

/* Bit 0 of the flags result: positions are world coordinates. */
#define PLIX_FLAG_WORLD_POSITIONS 1u

#ifdef __cplusplus
}
#endif

#endif
