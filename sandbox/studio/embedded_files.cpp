#include "studio/embedded_files.h"

namespace plix::studio {

// In the source generated at build time.
extern const EmbeddedFile embeddedFileTable[];
extern const std::size_t embeddedFileCount;

const EmbeddedFile *findEmbeddedFile(std::string_view path) {
    for (std::size_t i = 0; i < embeddedFileCount; ++i)
        if (embeddedFileTable[i].path == path) return &embeddedFileTable[i];
    return nullptr;
}

} // namespace plix::studio
