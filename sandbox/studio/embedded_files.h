// The page's files and three.js, compiled into the program at build time
// (the generated embedded_files_data.cpp), so the studio needs no files
// beside it and no request ever reads the disk.
#pragma once

#include <cstddef>
#include <string_view>

namespace plix::studio {

struct EmbeddedFile {
    std::string_view path;        // as requested: "/index.html", "/vendor/three/three.module.js"
    std::string_view contentType;
    std::string_view content;
};

// Null when no file has that path.
const EmbeddedFile *findEmbeddedFile(std::string_view path);

} // namespace plix::studio
