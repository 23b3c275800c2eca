// The names a module file exports, read from the file itself without loading
// it: the dynamic symbol table of an ELF shared object, or the export table of
// a PE DLL. The format is told by the file's first bytes.
#pragma once

#include <string>
#include <vector>

namespace plix::validate {

struct ExportedSymbols {
    bool ok = false;                // false: `error` says why the file could not be read
    std::string format;             // "ELF" or "PE"
    std::vector<std::string> names; // every defined, exported name
    std::string error;
};

ExportedSymbols readExportedSymbols(const std::string &path);

// Format readers, one per file format; `bytes` is the whole file.
ExportedSymbols readElfExports(const std::vector<unsigned char> &bytes);
ExportedSymbols readPeExports(const std::vector<unsigned char> &bytes);

} // namespace plix::validate
