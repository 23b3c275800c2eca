// Exports of a PE DLL (32- or 64-bit): the names of its export directory, plus
// a placeholder for each entry exported by ordinal only.
#include <algorithm>

#include "exported_symbols.h"
#include "file_bytes.h"

namespace plix::validate {
namespace {

constexpr std::uint16_t optionalMagic32 = 0x10B;
constexpr std::uint16_t optionalMagic64 = 0x20B;
constexpr std::uint64_t sectionHeaderSize = 40;

struct Sections {
    std::uint64_t table;
    std::uint16_t count;
};

// File offset of a relative virtual address, through the section headers.
std::uint64_t fileOffset(const FileBytes &file, const Sections &sections, std::uint32_t rva) {
    for (std::uint16_t s = 0; s < sections.count; ++s) {
        const std::uint64_t header = sections.table + s * sectionHeaderSize;
        const std::uint32_t virtualSize = file.u32(header + 8);
        const std::uint32_t address = file.u32(header + 12);
        const std::uint32_t rawSize = file.u32(header + 16);
        const std::uint32_t rawOffset = file.u32(header + 20);
        if (rva >= address && rva - address < std::max(virtualSize, rawSize))
            return std::uint64_t{rawOffset} + (rva - address);
    }
    throw std::out_of_range("address " + std::to_string(rva) + " lies in no section");
}

} // namespace

ExportedSymbols readPeExports(const std::vector<unsigned char> &bytes) {
    ExportedSymbols result;
    result.format = "PE";
    try {
        const FileBytes file(bytes);
        const std::uint64_t pe = file.u32(0x3C);
        if (file.u32(pe) != 0x00004550u) { // "PE\0\0"
            result.error = "not a PE file";
            return result;
        }
        const std::uint16_t sectionCount = file.u16(pe + 6);
        const std::uint16_t optionalSize = file.u16(pe + 20);
        const std::uint64_t optional = pe + 24;
        const std::uint16_t magic = file.u16(optional);
        if (magic != optionalMagic32 && magic != optionalMagic64) {
            result.error = "unknown PE optional header";
            return result;
        }
        const std::uint64_t directories = optional + (magic == optionalMagic64 ? 112 : 96);
        const std::uint32_t directoryCount = file.u32(directories - 4);
        const Sections sections{optional + optionalSize, sectionCount};
        const std::uint32_t exportRva = directoryCount > 0 ? file.u32(directories) : 0;
        result.ok = true;
        if (exportRva == 0) return result; // exports nothing

        const std::uint64_t dir = fileOffset(file, sections, exportRva);
        const std::uint32_t functionCount = file.u32(dir + 20);
        const std::uint32_t nameCount = file.u32(dir + 24);
        const std::uint64_t functions = fileOffset(file, sections, file.u32(dir + 28));
        const std::uint64_t names = nameCount ? fileOffset(file, sections, file.u32(dir + 32)) : 0;
        const std::uint64_t ordinals = nameCount ? fileOffset(file, sections, file.u32(dir + 36)) : 0;
        if (functionCount > file.size() / 4 || nameCount > file.size() / 4)
            throw std::out_of_range("export counts larger than the file");
        std::vector<bool> named(functionCount, false);
        for (std::uint32_t n = 0; n < nameCount; ++n) {
            result.names.push_back(file.textAt(fileOffset(file, sections, file.u32(names + 4ull * n))));
            const std::uint16_t ordinal = file.u16(ordinals + 2ull * n);
            if (ordinal < functionCount) named[ordinal] = true;
        }
        const std::uint32_t base = file.u32(dir + 16);
        for (std::uint32_t f = 0; f < functionCount; ++f)
            if (!named[f] && file.u32(functions + 4ull * f) != 0)
                result.names.push_back("(ordinal " + std::to_string(base + f) + ", no name)");
    } catch (const std::exception &e) {
        result.ok = false;
        result.names.clear();
        result.error = std::string("damaged PE file: ") + e.what();
    }
    return result;
}

} // namespace plix::validate
