#include "player/frame_range.h"

#include <charconv>
#include <cmath>
#include <string>

namespace plix::sandbox {
namespace {

// Reads a frame number at the start of `text`; returns what follows it.
std::optional<std::string_view> readFrame(std::string_view text, int &frame) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), frame);
    if (result.ec != std::errc() || (text.front() == '-' && text.size() > 1 && text[1] == '+')) return std::nullopt;
    return text.substr(static_cast<std::size_t>(result.ptr - text.data()));
}

} // namespace

std::string withThousands(long long value) {
    std::string digits = std::to_string(value);
    const std::size_t sign = value < 0 ? 1 : 0;
    for (std::size_t at = digits.size(); at > 3 + sign; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string describeFrames(const FrameRange &range) {
    return withThousands(range.count()) + (range.count() == 1 ? " frame (" : " frames (") +
           std::to_string(range.first) + " to " + std::to_string(range.last) + ")";
}

std::optional<FrameRange> parseFrameRange(std::string_view text) {
    if (text.empty()) return std::nullopt;
    FrameRange range;
    const auto rest = readFrame(text, range.first);
    if (!rest) return std::nullopt;
    if (rest->empty()) {
        range.last = range.first;
        return range;
    }
    if (rest->front() != '-' || rest->size() < 2) return std::nullopt;
    const auto end = readFrame(rest->substr(1), range.last);
    if (!end || !end->empty() || range.first > range.last) return std::nullopt;
    return range;
}

int spreadFrame(int first, int last, long long i, long long count) {
    if (count <= 1) return first;
    const long long span = static_cast<long long>(last) - first;
    return static_cast<int>(first + static_cast<long long>(std::llround(static_cast<double>(span) * i / (count - 1))));
}

} // namespace plix::sandbox
