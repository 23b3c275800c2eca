// How the effect reads its block of lines, worked out by the host without
// loading the module, so that the sandbox can say what each line will do:
//
// - The first line must be PLIX_START, else the effect reads nothing more and
//   keeps its settings. Then each line is read until PLIX_END, an empty line
//   or a line that begins with a space (its keyword is empty), the end of the
//   block, or 4,096 lines after the first.
// - The keyword is the text before the first space (a tab is an ordinary
//   character). It names the first setting, in the order of `blockNames`,
//   whose name begins with it: "AgeM" is AgeMin, "S" START_F. Names are
//   case-sensitive; a keyword that names nothing is ignored.
// - The value is the number at the start of the text after the space (sign,
//   digits, one '.', exponent after e, E, d or D); text that does not begin
//   with a number reads as 0. A line without a space takes the value of the
//   last earlier line of the block that had one, and is ignored when none had.
// - Whole-number settings take the value truncated toward zero, held within
//   -2147483648 .. 2147483647.
// - REFERENCE takes the next line whole as a name, not as a setting.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plix/host/scene_block.h"

namespace plix::scene {

enum class BlockName {
    End, V0Min, V0Max, AgeMin, AgeMax, Gravity, Regist, StartFrame, Birth, ReCycle,
    SpreadMin, SpreadMax, Reference, AvoidX, AvoidY, AvoidZ,
};
// In the order the effect tests them.
namespace detail {
inline constexpr const char *valueKeywords[PLIX_SCENE_VALUE_COUNT] = PLIX_SCENE_VALUE_KEYWORDS;
}
inline constexpr std::array<const char *, 16> blockNames = {
    PLIX_SCENE_END,
    detail::valueKeywords[PLIX_SCENE_V0MIN],     detail::valueKeywords[PLIX_SCENE_V0MAX],
    detail::valueKeywords[PLIX_SCENE_AGEMIN],    detail::valueKeywords[PLIX_SCENE_AGEMAX],
    detail::valueKeywords[PLIX_SCENE_GRAVITY],   detail::valueKeywords[PLIX_SCENE_REGIST],
    detail::valueKeywords[PLIX_SCENE_START_F],   detail::valueKeywords[PLIX_SCENE_BIRTH],
    detail::valueKeywords[PLIX_SCENE_RECYCLE],   detail::valueKeywords[PLIX_SCENE_SPREADMIN],
    detail::valueKeywords[PLIX_SCENE_SPREADMAX], PLIX_SCENE_REFERENCE,
    detail::valueKeywords[PLIX_SCENE_AVOIDX],    detail::valueKeywords[PLIX_SCENE_AVOIDY],
    detail::valueKeywords[PLIX_SCENE_AVOIDZ],
};
inline constexpr std::size_t maxBlockLinesRead = PLIX_SCENE_BLOCK_MOST_LINES;
const char *nameOf(BlockName name);
bool isWholeNumberSetting(BlockName name);

// The settings of one application of the effect, as created. The host's own
// model of the effect's defaults, written out here on purpose rather than
// taken from the module: the notes on a scene say what a host expects the
// effect to do, and the tests compare that with what the module does.
struct EffectSettings {
    double v0Min = 1.0, v0Max = 4.0;
    int ageMin = 10, ageMax = 60;
    double gravity = 9.8, regist = 0.0;
    int startFrame = 0, birthRate = 60, recycle = 1, spreadMin = 0, spreadMax = 180;
    double avoidX = -100.0, avoidY = -100.0, avoidZ = 0.0;
};

// The number at the start of a value text, by the block's grammar.
struct BlockNumber {
    double value = 0.0;       // 0.0 when the text does not begin with a number; ±infinity on overflow
    bool isNumber = false;    // the text began with a number
    std::string_view number;  // the characters read as the number (after leading white space)
    std::string_view rest;    // what follows it, white space included
};
BlockNumber readBlockNumber(std::string_view valueText);

struct BlockLineReading {
    enum class Kind {
        Opening,       // the first line, taken as PLIX_START
        NotOpening,    // the first line, not PLIX_START: nothing more is read
        End,           // ends the block
        Setting,       // sets `name` (or is ignored, see `valueFrom`)
        Reference,     // REFERENCE: the next line is the name
        ReferenceName, // taken whole as the reference name
        Ignored,       // names no setting
        Unread,        // after the block's end: the effect never sees it
    };
    Kind kind = Kind::Unread;
    std::string_view keyword;       // the text before the first space
    std::optional<BlockName> name;  // what the keyword named (End, a setting, Reference)
    bool hasOwnValue = false;       // the line has a space
    BlockNumber number;             // its own value, when it has one
    // For a Setting: the line whose value it takes (itself, an earlier line),
    // or none when no line so far had a value (then the line changes nothing).
    std::optional<std::size_t> valueFrom;
    double value = 0.0;             // the value taken, before any truncation
};

struct BlockReading {
    std::vector<BlockLineReading> lines; // one per line of the block, in order
    std::optional<std::size_t> endLine;  // the line that ended the block, if one did
    EffectSettings settings;             // as the effect holds them after the load
};

// `lines` are the block's lines as the effect is given them.
BlockReading readEffectBlock(const std::vector<std::string> &lines);

// The value as a whole-number setting holds it: truncated toward zero and
// held within the 32-bit range (NaN gives 0).
int wholeNumberOf(double value);

} // namespace plix::scene
