#include "scene/atomic_file.h"

#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace plix::files {
namespace {

std::filesystem::path temporaryBeside(const std::filesystem::path &target) {
    std::random_device entropy;
    const unsigned long tag = (static_cast<unsigned long>(entropy()) << 16) ^ entropy();
    return target.parent_path() / ("." + target.filename().string() + "." + std::to_string(tag) + ".partial");
}

} // namespace

void writeFileAtomically(const std::filesystem::path &target, std::string_view content) {
    const std::filesystem::path temporary = temporaryBeside(target);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error("cannot write " + target.string() + ": " + std::strerror(errno));
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw std::runtime_error("cannot write " + target.string() + " (disk full?)");
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw std::runtime_error("cannot replace " + target.string() + ": " + ec.message());
    }
}

} // namespace plix::files
