// Hostile scene blocks: no opening line, no closing line, garbage, overlong
// lines, lines without their terminating zero, streams that end with a
// negative result and an untouched buffer, numbers at and beyond every limit.
// Each load must end soon after its stream runs dry and leave an instance
// that plays frames and saves a whole block, without a crash.
#include <limits>
#include <string_view>

#include "check_child.h"
#include "checks/checks.h"
#include "module_session.h"

namespace plix::validate {
namespace {

// Reads allowed once the stream has run dry, before a load counts as endless.
constexpr std::size_t readsAfterEnd = 64;

struct Block {
    std::string name;
    std::string text;
};

std::string repeat(std::string_view piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

std::vector<Block> fixedBlocks() {
    using namespace std::string_literals;
    const std::string overlong(1000, 'A');
    return {
        {"an empty stream", ""},
        {"an opening line alone", "PLIX_START\n"},
        {"values without a closing line", "PLIX_START\nV0Min 2\nAgeMax 40\nSpreadMax 90\n"},
        {"a REFERENCE line as the last line", "PLIX_START\nV0Min 2\nREFERENCE\n"},
        {"an overlong REFERENCE name", "PLIX_START\nREFERENCE\n" + overlong + "\nPLIX_END\n"},
        {"overlong lines", "PLIX_START\n" + overlong + "\nV0Min " + std::string(600, '9') + "\nGravity 1." +
                               std::string(400, '5') + "\n" + std::string(255, 'B') + "\nPLIX_END\n"},
        {"numbers beyond every limit",
         "PLIX_START\nV0Min 1e308\nV0Max -1e308\nAgeMin 1e30\nAgeMax -1e30\nGravity 1e999\nRegist -1e999\n"
         "START_F 2147483648\nBirth -2147483649\nReCycle 1e400\nSpreadMin 99999999999\nSpreadMax -99999999999\n"
         "AvoidX 1e999\nAvoidY -1e999\nAvoidZ 1d400\nPLIX_END\n"},
        {"integer limits", "PLIX_START\nAgeMin -2147483648\nAgeMax 2147483647\nSTART_F -2147483648\nBirth 2147483647\n"
                           "SpreadMin -2147483648\nSpreadMax 2147483647\nV0Min -1e9\nV0Max 1e9\nPLIX_END\n"},
        {"a birth rate of 0 and reversed bounds",
         "PLIX_START\nBirth 0\nV0Min 9\nV0Max 1\nAgeMin 70\nAgeMax 3\nSpreadMin 170\nSpreadMax -20\nPLIX_END\n"},
        {"a negative birth rate", "PLIX_START\nBirth -7\nReCycle 1\nAgeMin 0\nAgeMax 0\nPLIX_END\n"},
        {"malformed numbers",
         "PLIX_START\nV0Min\nV0Max -\nAgeMin .\nAgeMax 1e\nGravity 1e+\nRegist --5\nSTART_F +-3\nBirth 0x1F\n"
         "ReCycle nan\nSpreadMin inf\nSpreadMax 1,5\nAvoidX \t\nAvoidY  \nAvoidZ e5\nPLIX_END\n"},
        {"odd keywords", "PLIX_START\nPLIX_START\nv0min 3\nV0MinX 4\nV0Min:5\nAge\tMin 6\n \nPLIX_END\n"},
        {"control characters and stray bytes",
         "PLIX_START\nV0Min 3\r\nGravity 2\0x 7\n\x01\x02\x7f\xff\xfe 5\nAvoidX \x80\x81\nPLIX_END\n"s},
        {"many lines without a closing line", "PLIX_START\n" + repeat("Gravity 1.5\nbogus line\n", 2000)},
        {"a closing line alone", "PLIX_END\nV0Min 3\nPLIX_END\n"},
    };
}

// Lines of random bytes (no line break) and half-right keywords.
Block randomBlock(CheckRandom &random, int index) {
    static constexpr std::string_view keywords[] = {
        "PLIX_END", "V0Min",   "V0Max",     "AgeMin",    "AgeMax",    "Gravity", "Regist", "START_F",
        "Birth",    "ReCycle", "SpreadMin", "SpreadMax", "REFERENCE", "AvoidX",  "AvoidY", "AvoidZ"};
    static constexpr std::string_view numberBytes = "0123456789+-.eEdD \t";
    std::string text = random.chance(85) ? "PLIX_START\n" : "";
    const int lines = static_cast<int>(random.between(1, 80));
    for (int l = 0; l < lines; ++l) {
        const std::string_view keyword = keywords[random.below(std::size(keywords))];
        std::string line(keyword.substr(0, random.chance(70) ? keyword.size() : random.below(keyword.size() + 1)));
        line += random.chance(80) ? " " : random.chance(50) ? "\t" : "";
        const std::size_t length = random.chance(10) ? random.below(600) : random.below(24);
        for (std::size_t i = 0; i < length; ++i) {
            char c = random.chance(75) ? numberBytes[random.below(numberBytes.size())]
                                       : static_cast<char>(random.between(0, 255));
            line += c == '\n' ? ' ' : c;
        }
        text += line + '\n';
    }
    if (random.chance(50)) text += "PLIX_END\n";
    return {"random block " + std::to_string(index + 1), text};
}

struct StreamMode {
    const char *name;
    standin::TextLoadState::LineEnd lineEnd;
    standin::TextLoadState::StreamEnd streamEnd;
};
constexpr StreamMode streamModes[] = {
    {"", standin::TextLoadState::LineEnd::Terminated, standin::TextLoadState::StreamEnd::EmptyText},
    {", read with unterminated long lines", standin::TextLoadState::LineEnd::Unterminated,
     standin::TextLoadState::StreamEnd::EmptyText},
    {", ending with a negative read", standin::TextLoadState::LineEnd::Terminated,
     standin::TextLoadState::StreamEnd::NegativeUntouched},
};

// A load state that passes reads on and stops a load that keeps reading long
// after the stream ran dry (a callback cannot unwind through the module).
struct WatchedStream {
    LoadState state{};
    const LoadState *inner = nullptr;
    const standin::TextLoadState *source = nullptr;
    std::size_t dryReads = 0;
    std::string what;

    static int read(void *hostData, char *buffer, int max) noexcept {
        auto *self = static_cast<WatchedStream *>(hostData);
        if (self->source->linesLeft() == 0 && ++self->dryReads > readsAfterEnd)
            failCheckNow(self->what + ": the load kept reading after the stream ran dry (" +
                         std::to_string(readsAfterEnd) + " reads)");
        return self->inner->read(self->inner->hostData, buffer, max);
    }
};

void loadHostile(ModuleSession &session, const Block &block, const StreamMode &mode, int points, std::uintptr_t item) {
    const std::string what = block.name + mode.name + " on " + pointsText(points);
    standin::TextLoadState source(block.text);
    source.setLineEnd(mode.lineEnd);
    source.setStreamEnd(mode.streamEnd);
    WatchedStream watched;
    watched.inner = source.state();
    watched.source = &source;
    watched.what = what;
    watched.state.hostData = &watched;
    watched.state.read = WatchedStream::read;

    void *instance = session.createOn(item, points);
    expect(session.effect.load(instance, &watched.state) == nullptr, what, ": the load entry reported an error");
    for (const int f : {-1, 0, 1, 2, 7, 30, 95}) session.frame(instance, f, 30.0, points);
    const std::vector<std::string> block16 = session.save(instance);
    expect(block16.size() == 16, what, ": afterwards the save entry wrote ", block16.size(), " lines, expected 16");
    session.effect.destroy(instance);
}

} // namespace

std::string checkHostileBlocks(CheckContext &context) {
    static constexpr int pointCounts[] = {0, 1, 3, 17};
    ModuleSession session(context.modulePath);
    std::vector<Block> blocks = fixedBlocks();
    for (int i = 0; i < 12; ++i) blocks.push_back(randomBlock(context.random, i));
    std::uintptr_t item = 1;
    std::size_t loads = 0;
    for (const Block &block : blocks)
        for (const StreamMode &mode : streamModes) {
            loadHostile(session, block, mode, pointCounts[item % std::size(pointCounts)], item);
            ++item;
            ++loads;
        }
    return text(blocks.size(), " blocks, ", loads, " loads, each followed by frames and a save");
}

} // namespace plix::validate
