#include "files/output_place.h"

#include <stdexcept>
#include <string>

namespace plix::files {
namespace {

namespace fs = std::filesystem;

std::string kindOf(fs::file_type type) {
    switch (type) {
    case fs::file_type::directory: return "a folder";
    case fs::file_type::character: return "a character device";
    case fs::file_type::block: return "a block device";
    case fs::file_type::fifo: return "a pipe (FIFO)";
    case fs::file_type::socket: return "a socket";
    default: return "something other than a file";
    }
}

[[noreturn]] void refuse(const fs::path &target, const std::string &why) {
    throw std::runtime_error("cannot write " + target.string() + ": " + why);
}

} // namespace

OutputPlace outputPlace(const fs::path &target, const OutputRules &rules) {
    OutputPlace place;
    place.written = target;
    std::error_code ec;
    const fs::file_status own = fs::symlink_status(target, ec);
    if (fs::is_symlink(own)) {
        const fs::file_status named = fs::status(target, ec);
        if (!fs::exists(named))
            refuse(target, "it is a symbolic link to nothing that exists (" + fs::read_symlink(target, ec).string() +
                               "); the program writes through a link only to an existing file");
        if (!fs::is_regular_file(named))
            refuse(target, "it is a symbolic link to " + kindOf(named.type()) +
                               ", and the program replaces only files; name a file");
        place.written = fs::canonical(target, ec); // follows every link in turn
        if (ec) refuse(target, "cannot follow its symbolic link: " + ec.message());
    }
    const fs::file_status status = fs::status(place.written, ec);
    if (!fs::exists(status)) return place;
    if (!fs::is_regular_file(status))
        refuse(target, kindOf(status.type()) + " stands there, and the program replaces only files; "
                                               "name a file, or remove what stands there");
    place.exists = true;
    place.mode = status.permissions();
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none && !rules.replaceReadOnly)
        refuse(target, std::string("the file is read-only; ") + rules.readOnlyAdvice);
    place.hardLinked = fs::hard_link_count(place.written, ec) > 1 && !ec;
    return place;
}

} // namespace plix::files
