#include "persist/scene_writer.h"

#include <cstddef>
#include <cstring>

#include "persist/scene_keywords.h"
#include "persist/value_text.h"

namespace {

// A line must come back whole through the reader's buffer.
constexpr std::size_t lineBufferSize = sceneLineSize;
constexpr std::size_t maxLineChars = lineBufferSize - 1;

void writeLine(const SaveState &state, const char *line, std::size_t length) noexcept {
    if (state.write) state.write(state.hostData, line, static_cast<int>(length + 1));
}

std::size_t boundedLength(const char *text) noexcept {
    const void *zero = std::memchr(text, '\0', maxLineChars);
    return zero ? static_cast<std::size_t>(static_cast<const char *>(zero) - text) : maxLineChars;
}

} // namespace

void writeBareLine(const SaveState &state, const char *text) noexcept {
    writeLine(state, text, std::strlen(text));
}

void writeValueLine(const SaveState &state, const char *keyword, double value) noexcept {
    char line[lineBufferSize];
    const std::size_t keywordLength = boundedLength(keyword);
    std::memcpy(line, keyword, keywordLength);
    const std::size_t valueLength = plix::formatSceneValue(
        value, maxLineChars - keywordLength, line + keywordLength, lineBufferSize - keywordLength);
    line[keywordLength + valueLength] = '\0';
    writeLine(state, line, keywordLength + valueLength);
}
