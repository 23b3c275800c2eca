// Feeds arbitrary bytes to the load entry as a host stream of lines, then
// checks that what the save entry writes is well-formed and loads back stable.
//
// Input: the first byte sets how the stream behaves, the rest is the text,
// split on newlines.
//   bits 0-1  once the lines run out: 0 empty text, 1 negative result,
//             2 negative result after junk in the buffer, 3 the last line again
//   bit 2     a line that fills the buffer comes without its zero
//   bit 3     a long line is served in pieces, one buffer at a time
//   bits 4-6  number of sparks, 0 to 7
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "effect/instance.h"
#include "effect/spark_types.h"
#include "persist/scene_block.h"
#include "persist/scene_keywords.h"

namespace {

// Every load ends by itself well before this; reaching it is a finding.
constexpr int readLimit = 4 * maxSceneBlockLines + 16;

struct Stream {
    std::vector<std::string> lines;
    int atEnd = 0;
    bool unterminated = false;
    bool pieces = false;
    size_t next = 0;
    size_t offset = 0; // into the current line, when served in pieces
    int reads = 0;

    static int read(void *data, char *buf, int max) {
        auto &s = *static_cast<Stream *>(data);
        if (++s.reads > readLimit) __builtin_trap(); // the load does not end
        const std::string *line = nullptr;
        if (s.next < s.lines.size()) {
            line = &s.lines[s.next];
        } else if (s.atEnd == 3 && !s.lines.empty()) {
            line = &s.lines.back();
        } else if (s.atEnd == 0) {
            buf[0] = '\0';
            return 0;
        } else {
            if (s.atEnd == 2) std::memset(buf, '7', static_cast<size_t>(max));
            return -1;
        }
        const size_t room = static_cast<size_t>(max);
        const size_t left = line->size() - s.offset;
        size_t n = left < room - 1 ? left : room - 1;
        if (s.unterminated && left >= room) n = room;
        std::memcpy(buf, line->data() + s.offset, n);
        if (n < room) buf[n] = '\0';
        if (s.pieces && n < left && s.next < s.lines.size()) {
            s.offset += n;
        } else if (s.next < s.lines.size()) {
            ++s.next;
            s.offset = 0;
        }
        return static_cast<int>(n);
    }
};

struct Collector {
    std::vector<std::string> lines;

    static void write(void *data, const char *text, int lengthWithZero) {
        if (lengthWithZero < 1 || lengthWithZero > sceneLineSize) __builtin_trap();
        const auto count = static_cast<size_t>(lengthWithZero);
        if (std::memchr(text, '\0', count) != text + count - 1) __builtin_trap();
        static_cast<Collector *>(data)->lines.emplace_back(text);
    }
};

struct Instance {
    EffectInstance inst{};
    std::vector<SparkPoint> points;

    explicit Instance(int count) : points(static_cast<size_t>(count)) {
        SparkSettings &s = inst.sparks;
        s.pointCount = count;
        s.points = points.data();
        applyDefaults(s);
    }
};

std::vector<std::string> save(const Instance &t) {
    Collector out;
    const SaveState state{nullptr, &out, &Collector::write};
    saveInstance(const_cast<EffectInstance *>(&t.inst), &state);
    if (out.lines.size() != 16 || out.lines.front() != "PLIX_START" || out.lines.back() != "PLIX_END")
        __builtin_trap();
    return out.lines;
}

void load(Instance &t, Stream &stream) {
    const LoadState state{nullptr, &stream, &Stream::read};
    loadInstance(&t.inst, &state);
}

// The settings as bytes, so that NaN and the sign of zero count too.
bool sameSettings(const SparkSettings &a, const SparkSettings &b) {
    const auto same = [](const auto &x, const auto &y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    return same(a.v0Min, b.v0Min) && same(a.v0Max, b.v0Max) && same(a.spreadMin, b.spreadMin) &&
           same(a.spreadMax, b.spreadMax) && same(a.ageMin, b.ageMin) && same(a.ageMax, b.ageMax) &&
           same(a.gravity, b.gravity) && same(a.regist, b.regist) && same(a.birthRate, b.birthRate) &&
           same(a.recycle, b.recycle) && same(a.startFrame, b.startFrame) && same(a.avoidPos, b.avoidPos);
}

std::vector<std::string> splitLines(const uint8_t *data, size_t size) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == '\n') {
            if (i > start || i < size) lines.emplace_back(reinterpret_cast<const char *>(data + start), i - start);
            start = i + 1;
        }
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    Stream stream;
    stream.lines = splitLines(data + 1, size - 1);
    stream.atEnd = mode & 3;
    stream.unterminated = (mode & 4) != 0;
    stream.pieces = (mode & 8) != 0;

    Instance first((mode >> 4) & 7);
    load(first, stream);

    // What is saved loads back; from then on it stays the same.
    Stream again;
    again.lines = save(first);
    Instance second(1);
    load(second, again);
    Stream third;
    third.lines = save(second);
    Instance last(1);
    load(last, third);
    if (!sameSettings(second.inst.sparks, last.inst.sparks)) __builtin_trap();
    if (save(last) != third.lines) __builtin_trap();
    return 0;
}
