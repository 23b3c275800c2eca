// Frame ranges as given on the command line: "A-B" or a single frame "A".
// Frames may be negative ("-10--1", "-5-20").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plix::sandbox {

struct FrameRange {
    int first = 0;
    int last = 0;
    long long count() const { return static_cast<long long>(last) - first + 1; }
};

// Nothing when the text is not such a range or its first frame is after its last.
std::optional<FrameRange> parseFrameRange(std::string_view text);

// The most frames one play (or the studio's timeline) takes: over nine hours
// at 30 frames per second. What a run keeps per frame (its summary line, the
// names of its cache files, the preview's samples, the timeline's emitter
// path) then stays within memory; a longer animation is played in slices.
inline constexpr long long mostFramesPerRun = 1'000'000;

// "4,294,967,296 frames (-2147483648 to 2147483647)", for messages.
std::string describeFrames(const FrameRange &range);
// 1000000 as "1,000,000".
std::string withThousands(long long value);

// Frames i = 0 .. count-1 spread evenly from first to last, both included.
int spreadFrame(int first, int last, long long i, long long count);

} // namespace plix::sandbox
