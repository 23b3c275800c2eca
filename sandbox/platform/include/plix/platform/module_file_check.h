// Whether a file can be handed to the system loader as a module: told from
// the file's own headers, before anything is mapped. The loader maps a
// truncated shared object and faults (SIGBUS) when it touches the missing
// part, and it blocks on a pipe, so every file is checked first.
#pragma once

#include <string>

namespace plix::platform {

// The file formats a module comes in: a shared object for Linux and the other
// ELF systems, a DLL for Windows.
enum class ModuleFormat { elf, pe };

// The format the running program loads.
ModuleFormat nativeModuleFormat();

// What is wrong with the file at `path` (UTF-8) as a module of `format`, in
// plain words that follow the file's name ("is a folder, not a module
// file"); empty when its headers describe a loadable module for this machine
// and every part they name lies inside the file.
std::string moduleFileProblem(const std::string &path, ModuleFormat format = nativeModuleFormat());

} // namespace plix::platform
