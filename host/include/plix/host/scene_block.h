/* The effect's block of lines inside the host's scene file, as a host sees it:
 * the words that open and close it, the settings' keywords in the order the
 * save entry writes them, and the sizes both sides keep to. The module's
 * reader and writer and every host's scene reader take them from here. */
#ifndef PLIX_HOST_SCENE_BLOCK_H
#define PLIX_HOST_SCENE_BLOCK_H

/* Bytes of one line as it passes the host's load and save states, its
 * terminating zero included: the load entry reads with this maximum and the
 * save entry never hands over more, so a line holds at most 255 characters. */
#define PLIX_SCENE_LINE_SIZE 256

/* The load entry reads at most this many lines after a block's opening line;
 * a stream that never ends is taken as ending there. */
#define PLIX_SCENE_BLOCK_MOST_LINES 4096

#define PLIX_SCENE_START "PLIX_START"
#define PLIX_SCENE_END "PLIX_END"
/* Read, never written: the line after it is the reference name. */
#define PLIX_SCENE_REFERENCE "REFERENCE"

/* The fourteen settings of the block, in the order the save entry writes
 * them: the first line's keyword, then the value formatted with " %f". */
enum PlixSceneValue {
    PLIX_SCENE_V0MIN, PLIX_SCENE_V0MAX, PLIX_SCENE_AGEMIN, PLIX_SCENE_AGEMAX, PLIX_SCENE_GRAVITY,
    PLIX_SCENE_REGIST, PLIX_SCENE_START_F, PLIX_SCENE_BIRTH, PLIX_SCENE_RECYCLE, PLIX_SCENE_SPREADMIN,
    PLIX_SCENE_SPREADMAX, PLIX_SCENE_AVOIDX, PLIX_SCENE_AVOIDY, PLIX_SCENE_AVOIDZ,
    PLIX_SCENE_VALUE_COUNT
};

/* The keywords in PlixSceneValue order, as an initialiser list. */
#define PLIX_SCENE_VALUE_KEYWORDS                                                                       \
    {                                                                                                   \
        "V0Min", "V0Max", "AgeMin", "AgeMax", "Gravity", "Regist", "START_F", "Birth", "ReCycle",     \
            "SpreadMin", "SpreadMax", "AvoidX", "AvoidY", "AvoidZ"                                      \
    }

#endif
