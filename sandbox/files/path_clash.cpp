#include "files/path_clash.h"

#include <stdexcept>

namespace plix::files {
namespace {

namespace fs = std::filesystem;

} // namespace

bool sameFile(const fs::path &a, const fs::path &b) {
    std::error_code ec;
    const bool x = fs::exists(a, ec), y = fs::exists(b, ec);
    if (x && y) return fs::equivalent(a, b, ec) && !ec;
    if (x != y) return false;
    // Neither exists yet: the same name under the same folder, links followed.
    const fs::path wa = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec) return false;
    const fs::path wb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return !ec && wa == wb;
}

void refuseClashes(const std::vector<NamedPath> &reads, const std::vector<NamedPath> &writes) {
    for (std::size_t w = 0; w < writes.size(); ++w) {
        for (const NamedPath &read : reads)
            if (sameFile(writes[w].path, read.path))
                throw std::runtime_error(writes[w].role + " " + writes[w].path.string() + " is " + read.role + " " +
                                         read.path.string() + ": the run would replace what it reads; write it "
                                         "elsewhere");
        for (std::size_t o = 0; o < w; ++o)
            if (sameFile(writes[w].path, writes[o].path))
                throw std::runtime_error(writes[w].role + " " + writes[w].path.string() + " is " + writes[o].role +
                                         " " + writes[o].path.string() + ": one run cannot write both there; name "
                                         "another file");
    }
}

} // namespace plix::files
