#include "plix/platform/module_file_check.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

namespace plix::platform {
namespace {

namespace fs = std::filesystem;

fs::path pathFromUtf8(const std::string &text) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t *>(text.data()), text.size()));
}

std::string bytesText(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// Little-endian reads from the file: only the headers and the tables they
// point to are read, never the whole file.
class FileReader {
public:
    FileReader(std::ifstream &in, std::uint64_t size) : in_(in), size_(size) {}

    std::uint64_t size() const { return size_; }

    // The `count` bytes at `offset`, or none when they are not all in the file.
    std::optional<std::vector<unsigned char>> bytesAt(std::uint64_t offset, std::uint64_t count) {
        if (offset > size_ || count > size_ - offset) return std::nullopt;
        std::vector<unsigned char> bytes(static_cast<std::size_t>(count));
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(count));
        if (!in_) return std::nullopt;
        return bytes;
    }

private:
    std::ifstream &in_;
    std::uint64_t size_;
};

std::uint64_t readLittle(const std::vector<unsigned char> &bytes, std::size_t offset, unsigned width) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) value |= std::uint64_t{bytes[offset + i]} << (8 * i);
    return value;
}

std::uint64_t readBig(const std::vector<unsigned char> &bytes, std::size_t offset, unsigned width) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) value = (value << 8) | bytes[offset + i];
    return value;
}

// Where a part named by the headers ends, kept as the furthest so far; a sum
// that does not fit counts as beyond any file.
void reach(std::uint64_t &furthest, std::uint64_t offset, std::uint64_t length) {
    const std::uint64_t end = length > UINT64_MAX - offset ? UINT64_MAX : offset + length;
    furthest = std::max(furthest, end);
}

std::string truncated(std::uint64_t size, std::uint64_t furthest) {
    return "is cut short: it has " + bytesText(size) + " but its headers describe " +
           (furthest == UINT64_MAX ? std::string("more than any file holds") : bytesText(furthest)) +
           " (a damaged or partly copied module file)";
}

// ---- ELF ----------------------------------------------------------------

constexpr unsigned elfClass64 = 2, elfClass32 = 1;
constexpr unsigned elfLittle = 1, elfBig = 2;
constexpr unsigned elfRelocatable = 1, elfExecutable = 2, elfShared = 3, elfCore = 4;
constexpr std::uint32_t segmentLoad = 1, segmentDynamic = 2;
constexpr unsigned elfHeaderSize = 64, programHeaderSize = 56;

unsigned nativeElfMachine() {
#if defined(__x86_64__) || defined(_M_X64)
    return 62;
#elif defined(__aarch64__) || defined(_M_ARM64)
    return 183;
#elif defined(__riscv) && __riscv_xlen == 64
    return 243;
#elif defined(__powerpc64__)
    return 21;
#elif defined(__s390x__)
    return 22;
#else
    return 0; // not told apart
#endif
}

std::string elfMachineName(unsigned machine) {
    switch (machine) {
    case 3: return "32-bit x86";
    case 21: return "64-bit PowerPC";
    case 22: return "IBM Z";
    case 40: return "32-bit ARM";
    case 62: return "x86-64";
    case 183: return "64-bit ARM";
    case 243: return "RISC-V";
    default: return "ELF machine " + std::to_string(machine);
    }
}

std::string elfProblem(FileReader &file, const std::vector<unsigned char> &head) {
    if (head.size() < 6) return "is too short to be a module file (" + bytesText(file.size()) + ")";
    const unsigned elfClass = head[4];
    if (elfClass == elfClass32) return "is a 32-bit ELF file; this plix-sandbox loads 64-bit modules";
    if (elfClass != elfClass64) return "is a damaged ELF file (unknown file class " + std::to_string(elfClass) + ")";
    const unsigned nativeOrder = std::endian::native == std::endian::little ? elfLittle : elfBig;
    if (head[5] != nativeOrder)
        return head[5] == elfLittle || head[5] == elfBig
                   ? "is an ELF file of the other byte order than this machine's"
                   : "is a damaged ELF file (unknown byte order " + std::to_string(head[5]) + ")";
    if (head.size() < elfHeaderSize) return truncated(file.size(), elfHeaderSize);
    const auto field = [&](std::size_t offset, unsigned width) {
        return head[5] == elfLittle ? readLittle(head, offset, width) : readBig(head, offset, width);
    };
    switch (field(16, 2)) {
    case elfShared: break;
    case elfExecutable: return "is a program, not a module (an ELF executable, not a shared object)";
    case elfRelocatable: return "is an object file (.o), not a linked module";
    case elfCore: return "is a core dump, not a module";
    default: return "is an ELF file but not a shared object (type " + std::to_string(field(16, 2)) + ")";
    }
    const auto machine = static_cast<unsigned>(field(18, 2));
    if (nativeElfMachine() != 0 && machine != nativeElfMachine())
        return "is built for " + elfMachineName(machine) + ", not for this machine (" +
               elfMachineName(nativeElfMachine()) + ")";

    const std::uint64_t programTable = field(32, 8), sectionTable = field(40, 8);
    const std::uint64_t programEntry = field(54, 2), programCount = field(56, 2);
    const std::uint64_t sectionEntry = field(58, 2), sectionCount = field(60, 2);
    if (programCount == 0 || programEntry < programHeaderSize) return "is a shared object without program headers";
    std::uint64_t furthest = 0;
    reach(furthest, programTable, programEntry * programCount);
    if (sectionTable != 0) reach(furthest, sectionTable, sectionEntry * std::max<std::uint64_t>(sectionCount, 1));
    if (furthest > file.size()) return truncated(file.size(), furthest);

    const auto table = file.bytesAt(programTable, programEntry * programCount);
    if (!table) return "cannot be read whole (its program headers could not be read)";
    const auto entry = [&](std::uint64_t index, std::size_t offset, unsigned width) {
        const std::size_t at = static_cast<std::size_t>(index * programEntry) + offset;
        return head[5] == elfLittle ? readLittle(*table, at, width) : readBig(*table, at, width);
    };
    bool loadable = false;
    for (std::uint64_t i = 0; i < programCount; ++i) {
        const auto type = static_cast<std::uint32_t>(entry(i, 0, 4));
        if (type != segmentLoad && type != segmentDynamic) continue;
        loadable = loadable || type == segmentLoad;
        reach(furthest, entry(i, 8, 8), entry(i, 32, 8));
    }
    if (!loadable) return "is a shared object without a loadable segment";
    if (furthest > file.size()) return truncated(file.size(), furthest);
    return {};
}

// ---- PE -------------------------------------------------------------------

constexpr unsigned peMachineAmd64 = 0x8664, peMachineI386 = 0x14C, peMachineArm64 = 0xAA64;
constexpr unsigned peDll = 0x2000;
constexpr unsigned pe32Plus = 0x20B;
constexpr unsigned sectionHeaderSize = 40;

std::string peProblem(FileReader &file, const std::vector<unsigned char> &head) {
    if (head.size() < 0x40) return truncated(file.size(), 0x40);
    const std::uint64_t pe = readLittle(head, 0x3C, 4);
    const auto header = file.bytesAt(pe, 24);
    if (!header) return truncated(file.size(), pe + 24);
    if (readLittle(*header, 0, 4) != 0x00004550) return "is a DOS program, not a Windows DLL (no PE header)";
    const auto machine = static_cast<unsigned>(readLittle(*header, 4, 2));
    if (machine == peMachineI386) return "is a 32-bit Windows file; this plix-sandbox loads 64-bit modules";
    if (machine == peMachineArm64) return "is built for 64-bit ARM Windows, not for x86-64";
    if (machine != peMachineAmd64) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04X", machine);
        return std::string("is a Windows file for another machine (machine ") + hex + ")";
    }
    if ((readLittle(*header, 22, 2) & peDll) == 0) return "is a Windows program, not a DLL";
    const std::uint64_t sectionCount = readLittle(*header, 6, 2);
    const std::uint64_t optionalSize = readLittle(*header, 20, 2);
    const auto optional = file.bytesAt(pe + 24, 2);
    if (!optional) return truncated(file.size(), pe + 26);
    if (readLittle(*optional, 0, 2) != pe32Plus) return "is a 32-bit Windows DLL; this plix-sandbox loads 64-bit modules";
    const std::uint64_t sectionTable = pe + 24 + optionalSize;
    std::uint64_t furthest = 0;
    reach(furthest, sectionTable, sectionCount * sectionHeaderSize);
    if (furthest > file.size()) return truncated(file.size(), furthest);
    const auto sections = file.bytesAt(sectionTable, sectionCount * sectionHeaderSize);
    if (!sections) return "cannot be read whole (its section table could not be read)";
    for (std::uint64_t s = 0; s < sectionCount; ++s) {
        const std::size_t at = static_cast<std::size_t>(s * sectionHeaderSize);
        const std::uint64_t rawSize = readLittle(*sections, at + 16, 4), rawStart = readLittle(*sections, at + 20, 4);
        if (rawSize != 0) reach(furthest, rawStart, rawSize);
    }
    if (furthest > file.size()) return truncated(file.size(), furthest);
    return {};
}

} // namespace

ModuleFormat nativeModuleFormat() {
#ifdef _WIN32
    return ModuleFormat::pe;
#else
    return ModuleFormat::elf;
#endif
}

std::string moduleFileProblem(const std::string &path, ModuleFormat format) {
    const fs::path file = pathFromUtf8(path);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) return "does not exist";
    if (ec) return "cannot be looked at: " + ec.message();
    if (fs::is_directory(status)) return "is a folder, not a module file";
    if (!fs::is_regular_file(status)) return "is not a regular file (a device, pipe or socket), not a module file";
    const std::uint64_t size = fs::file_size(file, ec);
    if (ec) return "cannot be looked at: " + ec.message();
    if (size == 0) return "is empty, not a module file";

    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) return "cannot be read: " + std::generic_category().message(errno != 0 ? errno : EACCES);
    FileReader reader(in, size);
    const auto head = reader.bytesAt(0, std::min<std::uint64_t>(size, 64));
    if (!head) return "cannot be read: " + std::generic_category().message(errno != 0 ? errno : EIO);

    const bool elf = head->size() >= 4 && (*head)[0] == 0x7F && (*head)[1] == 'E' && (*head)[2] == 'L' &&
                     (*head)[3] == 'F';
    const bool pe = head->size() >= 2 && (*head)[0] == 'M' && (*head)[1] == 'Z';
    if (format == ModuleFormat::elf) {
        if (elf) return elfProblem(reader, *head);
        if (pe) return "is a Windows DLL; this plix-sandbox loads shared objects (ELF)";
        return "is not a module file (not an ELF shared object)";
    }
    if (pe) return peProblem(reader, *head);
    if (elf) return "is a shared object of Linux or another ELF system; this plix-sandbox loads Windows DLLs";
    return "is not a module file (not a Windows DLL)";
}

} // namespace plix::platform
