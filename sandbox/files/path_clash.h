// Whether two paths name one file, by the file's identity (device and inode,
// after following links) rather than by spelling: "a.scene", "./a.scene",
// a link to it and a hard link of it are all one file. Paths that do not
// exist yet are compared through the nearest folder that does.
//
// A run checks every path it will write against every path it reads and
// every other path it writes, before it writes anything.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace plix::files {

bool sameFile(const std::filesystem::path &a, const std::filesystem::path &b);

struct NamedPath {
    std::filesystem::path path;
    std::string role; // for the user: "the scene", "the --json summary", ...
};

// Throws std::runtime_error naming both paths and their roles when a written
// path is a read one or another written one.
void refuseClashes(const std::vector<NamedPath> &reads, const std::vector<NamedPath> &writes);

} // namespace plix::files
