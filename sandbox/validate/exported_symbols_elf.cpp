// Exports of a 64-bit little-endian ELF shared object: the defined global and
// weak symbols of its dynamic symbol table that other objects can see.
#include "exported_symbols.h"
#include "file_bytes.h"

namespace plix::validate {
namespace {

constexpr unsigned char elfClass64 = 2;
constexpr unsigned char elfDataLittle = 1;
constexpr std::uint32_t sectionDynamicSymbols = 11; // SHT_DYNSYM
constexpr std::uint16_t sectionUndefined = 0;       // SHN_UNDEF
constexpr unsigned bindGlobal = 1, bindWeak = 2, bindUnique = 10;
constexpr unsigned visibilityDefault = 0, visibilityProtected = 3;
constexpr std::uint64_t symbolSize = 24;

bool isExported(const FileBytes &file, std::uint64_t symbol) {
    const unsigned info = file.u8(symbol + 4);
    const unsigned visibility = file.u8(symbol + 5) & 3u;
    const unsigned binding = info >> 4;
    if (file.u16(symbol + 6) == sectionUndefined) return false;
    if (binding != bindGlobal && binding != bindWeak && binding != bindUnique) return false;
    return visibility == visibilityDefault || visibility == visibilityProtected;
}

} // namespace

ExportedSymbols readElfExports(const std::vector<unsigned char> &bytes) {
    ExportedSymbols result;
    result.format = "ELF";
    try {
        const FileBytes file(bytes);
        if (file.u8(4) != elfClass64 || file.u8(5) != elfDataLittle) {
            result.error = "not a 64-bit little-endian ELF file";
            return result;
        }
        const std::uint64_t sectionTable = file.u64(0x28);
        const std::uint16_t sectionEntry = file.u16(0x3A);
        const std::uint16_t sectionCount = file.u16(0x3C);
        if (sectionTable == 0 || sectionCount == 0 || sectionEntry < 64) {
            result.error = "the ELF file has no section table";
            return result;
        }
        auto section = [&](std::uint64_t index) { return sectionTable + index * sectionEntry; };
        bool found = false;
        for (std::uint64_t s = 0; s < sectionCount; ++s) {
            if (file.u32(section(s) + 4) != sectionDynamicSymbols) continue;
            found = true;
            const std::uint64_t symbols = file.u64(section(s) + 24);
            const std::uint64_t size = file.u64(section(s) + 32);
            const std::uint32_t link = file.u32(section(s) + 40);
            if (link >= sectionCount) throw std::out_of_range("dynamic symbols name a missing string table");
            const std::uint64_t strings = file.u64(section(link) + 24);
            for (std::uint64_t sym = symbols; sym + symbolSize <= symbols + size; sym += symbolSize)
                if (isExported(file, sym)) result.names.push_back(file.textAt(strings + file.u32(sym)));
        }
        if (!found) {
            result.error = "the ELF file has no dynamic symbol table";
            return result;
        }
        result.ok = true;
    } catch (const std::exception &e) {
        result.error = std::string("damaged ELF file: ") + e.what();
    }
    return result;
}

} // namespace plix::validate
