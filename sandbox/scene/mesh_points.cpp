#include "scene/mesh_points.h"

#include <cerrno>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>
#include <system_error>

#ifdef PLIX_HAVE_TINYOBJLOADER
#include <tiny_obj_loader.h>
#endif

namespace plix::scene {

#ifdef PLIX_HAVE_TINYOBJLOADER

int countMeshPoints(const std::filesystem::path &objFile) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(objFile, ec);
    if (status.type() == std::filesystem::file_type::not_found) throw std::runtime_error("no such file");
    if (std::filesystem::is_directory(status)) throw std::runtime_error("it is a folder, not an OBJ file");
    if (!std::filesystem::is_regular_file(status))
        throw std::runtime_error("it is not a regular file (a device, pipe or socket), not an OBJ file");
    {
        errno = 0;
        std::ifstream probe(objFile, std::ios::binary);
        if (!probe)
            throw std::runtime_error("cannot open it: " + std::generic_category().message(errno != 0 ? errno : EACCES));
    }
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warnings, errors;
    const std::string folder = objFile.parent_path().string() + "/";
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warnings, &errors, objFile.string().c_str(),
                          folder.c_str(), false)) {
        while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) errors.pop_back();
        throw std::runtime_error(errors.empty() ? "not a readable OBJ mesh" : errors);
    }
    const std::size_t count = attrib.vertices.size() / 3;
    if (count == 0) throw std::runtime_error("the mesh has no vertex ('v' line)");
    if (count > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw std::runtime_error("the mesh has more points than an object can hold");
    return static_cast<int>(count);
}

#else

int countMeshPoints(const std::filesystem::path &) {
    throw std::runtime_error("this build of plix-sandbox reads no OBJ meshes; give 'points COUNT' instead");
}

#endif

} // namespace plix::scene
