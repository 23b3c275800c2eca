// Point count of a Wavefront OBJ mesh: the number of its vertices.
#pragma once

#include <filesystem>

namespace plix::scene {

// Throws std::runtime_error with the parser's reason when the file cannot be
// read or holds no vertex.
int countMeshPoints(const std::filesystem::path &objFile);

} // namespace plix::scene
