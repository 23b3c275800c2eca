#include "plix/standin/scene_streams.h"

#include <cstring>
#include <utility>

namespace plix::standin {
namespace {

// Longest text taken from a writer that passes no usable byte count.
constexpr std::size_t maxUncountedText = 1u << 16;

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        start = last ? text.size() : end + 1;
    }
    return lines;
}

} // namespace

TextLoadState::TextLoadState(std::string_view text) : TextLoadState(splitLines(text)) {}

TextLoadState::TextLoadState(std::vector<std::string> lines) : lines_(std::move(lines)) {
    state_.hostData = this;
    state_.read = readEntry;
}

int TextLoadState::readEntry(void *hostData, char *buffer, int max) noexcept {
    return static_cast<TextLoadState *>(hostData)->read(buffer, max);
}

std::vector<int> TextLoadState::readSizes() const {
    std::vector<int> sizes;
    for (const Read &read : reads_) sizes.push_back(read.max);
    return sizes;
}

int TextLoadState::read(char *buffer, int max) {
    Read record{max, {}, 0};
    if (!buffer || max <= 0) {
        record.result = -1;
    } else if (next_ < lines_.size()) {
        const std::string &line = lines_[next_];
        const auto served = static_cast<std::size_t>(serve(line, offset_, buffer, max, record));
        if (longLines_ == LongLines::InPieces && offset_ + served < line.size()) {
            offset_ += served;
        } else {
            ++next_;
            offset_ = 0;
        }
    } else if (streamEnd_ == StreamEnd::RepeatLastLine && !lines_.empty()) {
        serve(lines_.back(), 0, buffer, max, record);
    } else if (streamEnd_ == StreamEnd::EmptyText) {
        buffer[0] = '\0';
    } else {
        if (streamEnd_ == StreamEnd::NegativeAfterJunk) std::memset(buffer, 'x', static_cast<std::size_t>(max));
        record.result = -1;
    }
    reads_.push_back(record);
    return record.result;
}

// Places line[from...] in the buffer as the line-end mode says; the count placed.
int TextLoadState::serve(const std::string &line, std::size_t from, char *buffer, int max, Read &record) {
    const auto room = static_cast<std::size_t>(max);
    const std::size_t left = line.size() - from;
    std::size_t take = left < room - 1 ? left : room - 1;
    if (lineEnd_ == LineEnd::Unterminated && left >= room) take = room;
    std::memcpy(buffer, line.data() + from, take);
    if (take < room) buffer[take] = '\0';
    record.delivered.assign(line.data() + from, take);
    record.result = static_cast<int>(take);
    return record.result;
}

LineSaveState::LineSaveState() {
    state_.hostData = this;
    state_.write = writeEntry;
}

void LineSaveState::writeEntry(void *hostData, const char *text, int byteCount) noexcept {
    auto *self = static_cast<LineSaveState *>(hostData);
    Write record{{}, byteCount, false};
    if (text) {
        if (byteCount > 0) {
            // Trust the writer for byteCount bytes, no further.
            const auto count = static_cast<std::size_t>(byteCount);
            const void *zero = std::memchr(text, '\0', count);
            const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char *>(zero) - text) : count;
            record.text.assign(text, length);
            record.countMatches = length + 1 == count;
        } else {
            record.text.assign(text, strnlen(text, maxUncountedText));
        }
    }
    self->writes_.push_back(std::move(record));
}

std::vector<std::string> LineSaveState::lines() const {
    std::vector<std::string> lines;
    for (const Write &write : writes_) lines.push_back(write.text);
    return lines;
}

std::string LineSaveState::text() const {
    std::string text;
    for (const Write &write : writes_) text += write.text + '\n';
    return text;
}

bool LineSaveState::allCountsMatch() const {
    for (const Write &write : writes_)
        if (!write.countMatches) return false;
    return true;
}

} // namespace plix::standin
