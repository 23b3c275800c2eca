// Frame ranges as given on the command line: "A-B" or a single frame "A".
// Frames may be negative ("-10--1", "-5-20").
#pragma once

#include <optional>
#include <string_view>

namespace plix::sandbox {

struct FrameRange {
    int first = 0;
    int last = 0;
    long long count() const { return static_cast<long long>(last) - first + 1; }
};

// Nothing when the text is not such a range or its first frame is after its last.
std::optional<FrameRange> parseFrameRange(std::string_view text);

} // namespace plix::sandbox
