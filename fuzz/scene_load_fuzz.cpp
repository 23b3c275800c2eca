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
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "effect/instance.h"
#include "effect/spark_types.h"
#include "persist/scene_block.h"
#include "persist/scene_keywords.h"
#include "plix/standin/scene_streams.h"
#include "test_instance.h"

namespace {

using plix::standin::LineSaveState;
using plix::standin::TextLoadState;
using plix::test::TestInstance;

// Every load ends by itself well before this; reaching it is a finding.
constexpr int readLimit = 4 * maxSceneBlockLines + 16;

// The host's stream as the input's first byte says, and the reads counted.
struct FuzzStream {
    TextLoadState lines;
    int reads = 0;
    LoadState state{nullptr, this, &FuzzStream::read};

    FuzzStream(std::vector<std::string> text, uint8_t mode) : lines(std::move(text)) {
        using End = TextLoadState::StreamEnd;
        const End ends[] = {End::EmptyText, End::NegativeUntouched, End::NegativeAfterJunk, End::RepeatLastLine};
        lines.setStreamEnd(ends[mode & 3]);
        if (mode & 4) lines.setLineEnd(TextLoadState::LineEnd::Unterminated);
        if (mode & 8) lines.setLongLines(TextLoadState::LongLines::InPieces);
    }

    static int read(void *data, char *buf, int max) {
        auto &s = *static_cast<FuzzStream *>(data);
        if (++s.reads > readLimit) __builtin_trap(); // the load does not end
        const LoadState *inner = s.lines.state();
        return inner->read(inner->hostData, buf, max);
    }
};

// What the save entry writes: 16 lines from PLIX_START to PLIX_END, each with
// its zero at the byte count given, none longer than the host's line size.
std::vector<std::string> save(TestInstance &t) {
    LineSaveState out;
    saveInstance(&t.inst, out.state());
    for (const LineSaveState::Write &write : out.writes())
        if (write.byteCount < 1 || write.byteCount > sceneLineSize) __builtin_trap();
    if (!out.allCountsMatch()) __builtin_trap();
    std::vector<std::string> lines = out.lines();
    if (lines.size() != 16 || lines.front() != "PLIX_START" || lines.back() != "PLIX_END") __builtin_trap();
    return lines;
}

void load(TestInstance &t, const LoadState &state) { loadInstance(&t.inst, &state); }

void load(TestInstance &t, std::vector<std::string> lines) {
    TextLoadState stream(std::move(lines));
    loadInstance(&t.inst, stream.state());
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
    FuzzStream stream(splitLines(data + 1, size - 1), mode);
    TestInstance first((mode >> 4) & 7);
    load(first, stream.state);

    // What is saved loads back; from then on it stays the same.
    TestInstance second(1);
    load(second, save(first));
    const std::vector<std::string> third = save(second);
    TestInstance last(1);
    load(last, third);
    if (!sameSettings(second.sparks(), last.sparks())) __builtin_trap();
    if (save(last) != third) __builtin_trap();
    return 0;
}
