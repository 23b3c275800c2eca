#include "persist/scene_line.h"

#include <cstring>

#include "persist/number_text.h"

namespace {

// Clears the buffer first, so a read that writes nothing gives an empty
// text; a negative result also counts as nothing read.
bool readInto(const LoadState &state, char *buffer, int size) noexcept {
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    if (!state.read) return false;
    if (state.read(state.hostData, buffer, size) >= 0) return true;
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    return false;
}

} // namespace

bool readSceneLine(const LoadState &state, SceneLine &line) noexcept {
    char buffer[sceneLineSize];
    const bool read = readInto(state, buffer, sceneLineSize);

    // A text without its zero ends at the buffer's end.
    const void *zero = std::memchr(buffer, '\0', sizeof buffer);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char *>(zero) - buffer) : sizeof buffer;
    const void *found = std::memchr(buffer, ' ', length);
    const std::size_t space =
        found ? static_cast<std::size_t>(static_cast<const char *>(found) - buffer) : length;

    // Keywords longer than 255 characters match no name either way.
    const std::size_t keep = space < sizeof line.keyword - 1 ? space : sizeof line.keyword - 1;
    std::memcpy(line.keyword, buffer, keep);
    line.keyword[keep] = '\0';

    if (found) {
        line.value = plix::parseSceneNumber(buffer + space, length - space);
        line.hasValue = true;
    }
    return read;
}

bool keywordMatches(const char *name, const SceneLine &line) noexcept {
    for (std::size_t i = 0; line.keyword[i] != '\0'; ++i)
        if (name[i] != line.keyword[i]) return false; // also ends at the name's zero
    return true;
}

void readReferenceName(const LoadState &state, char (&destination)[referenceNameReadSize + 1]) noexcept {
    readInto(state, destination, referenceNameReadSize);
    destination[referenceNameReadSize] = '\0';
}
