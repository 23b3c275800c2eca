// Where an output file may go. The program writes only regular files: it
// creates one, or replaces one, and never what it did not make as a file (a
// device, a pipe, a socket, a folder). A symbolic link is written through to
// the file it names, so the link stays a link. A read-only file is replaced
// only when the user asked for it (play's --force).
#pragma once

#include <filesystem>
#include <optional>

namespace plix::files {

struct OutputRules {
    bool replaceReadOnly = false; // the user asked to replace even a read-only file
    // What the refusal of a read-only file tells the user to do.
    const char *readOnlyAdvice = "make it writable first, or write elsewhere";
};

struct OutputPlace {
    std::filesystem::path written; // the file that receives the content: the target, or what its link names
    bool exists = false;
    std::optional<std::filesystem::perms> mode; // the existing file's permissions, kept when it is replaced
    bool hardLinked = false; // the existing file has other names: it is rewritten in place, not replaced
};

// Throws std::runtime_error ("cannot write TARGET: ...") when the program may
// not write at `target`.
OutputPlace outputPlace(const std::filesystem::path &target, const OutputRules &rules = {});

} // namespace plix::files
