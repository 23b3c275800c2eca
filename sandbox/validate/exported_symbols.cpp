#include "exported_symbols.h"

#include <fstream>
#include <iterator>

namespace plix::validate {

ExportedSymbols readExportedSymbols(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {false, "", {}, "cannot open " + path};
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() >= 4 && bytes[0] == 0x7F && bytes[1] == 'E' && bytes[2] == 'L' && bytes[3] == 'F')
        return readElfExports(bytes);
    if (bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z') return readPeExports(bytes);
    return {false, "", {}, path + " is neither an ELF shared object nor a PE DLL"};
}

} // namespace plix::validate
