// Files that are no loadable module are told apart by their headers, before
// the system loader sees them: each case names what is wrong.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "plix/platform/module_file_check.h"
#include "temp_folder.h"
#include "plix/platform/module_library.h"

namespace plix::platform {
namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> moduleBytes() {
    std::ifstream in(PLIX_MODULE_PATH, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ModuleFileCheck : public ::testing::Test {
protected:
    std::string write(const std::string &name, const std::vector<unsigned char> &bytes) const {
        const fs::path file = folder_ / name;
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    testing::TempFolder folder_;
};

// The built module is an ELF file in the Linux build and a DLL in the Windows one.
bool builtModuleIsElf() {
    const std::vector<unsigned char> bytes = moduleBytes();
    return bytes.size() >= 4 && bytes[0] == 0x7F && bytes[1] == 'E' && bytes[2] == 'L' && bytes[3] == 'F';
}

struct BadFile {
    const char *name;
    std::vector<unsigned char> (*bytes)();
    const char *problem; // the start of the expected text
    bool damagesTheBuiltModule = false; // the bytes are the built module's, changed
};
void PrintTo(const BadFile &c, std::ostream *os) { *os << c.name; }

std::vector<unsigned char> cutAt(std::size_t size) {
    std::vector<unsigned char> bytes = moduleBytes();
    bytes.resize(size);
    return bytes;
}

std::vector<unsigned char> withByte(std::size_t offset, unsigned char value) {
    std::vector<unsigned char> bytes = moduleBytes();
    bytes[offset] = value;
    return bytes;
}

std::vector<unsigned char> text(const char *content) {
    const std::string s(content);
    return {s.begin(), s.end()};
}

// A DOS header whose PE header names a 64-bit DLL with one section that
// reaches past the file's end.
std::vector<unsigned char> cutDll() {
    std::vector<unsigned char> bytes(0x200, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = 0x80;
    const unsigned char pe[] = {'P', 'E', 0, 0, 0x64, 0x86, 1, 0};
    std::copy(std::begin(pe), std::end(pe), bytes.begin() + 0x80);
    bytes[0x80 + 20] = 0xF0;              // size of the optional header
    bytes[0x80 + 23] = 0x20;              // characteristics: DLL
    bytes[0x80 + 24] = 0x0B;              // PE32+
    bytes[0x80 + 25] = 0x02;
    const std::size_t section = 0x80 + 24 + 0xF0;
    bytes[section + 17] = 0x10;           // raw size 0x1000
    bytes[section + 21] = 0x01;           // raw start 0x100
    return bytes;
}

class ModuleFileProblems : public ModuleFileCheck, public ::testing::WithParamInterface<BadFile> {};

TEST_P(ModuleFileProblems, AreNamed) {
    if (GetParam().damagesTheBuiltModule && !builtModuleIsElf())
        GTEST_SKIP() << "the damaged ELF files are made from the Linux build's module";
    const std::string file = write(GetParam().name, GetParam().bytes());
    const std::string problem = moduleFileProblem(file, ModuleFormat::elf);
    EXPECT_EQ(problem.rfind(GetParam().problem, 0), 0u) << problem;
    // The loader is never asked: it would fault on a cut file.
}

INSTANTIATE_TEST_SUITE_P(
    Elf, ModuleFileProblems,
    ::testing::Values(
        BadFile{"cut_5000.p", [] { return cutAt(5000); }, "is cut short: it has 5000 bytes but its headers", true},
        BadFile{"cut_header.p", [] { return cutAt(40); }, "is cut short: it has 40 bytes", true},
        BadFile{"cut_to_magic.p", [] { return cutAt(4); }, "is too short to be a module file (4 bytes)", true},
        BadFile{"cut_end.p", [] { return cutAt(moduleBytes().size() - 1); }, "is cut short", true},
        BadFile{"empty.p", [] { return std::vector<unsigned char>{}; }, "is empty, not a module file"},
        BadFile{"text.p", [] { return text("#!/bin/sh\necho hello\n"); }, "is not a module file (not an ELF"},
        BadFile{"dll.p", [] { return text("MZ\x90\x00"); }, "is a Windows DLL"},
        BadFile{"elf32.p", [] { return withByte(4, 1); }, "is a 32-bit ELF file", true},
        BadFile{"big_endian.p", [] { return withByte(5, 2); }, "is an ELF file of the other byte order", true},
        BadFile{"program.p", [] { return withByte(16, 2); }, "is a program, not a module", true},
        BadFile{"object.p", [] { return withByte(16, 1); }, "is an object file (.o)", true},
        BadFile{"arm.p", [] { return withByte(18, 183); }, "is built for 64-bit ARM, not for this machine", true}));

TEST_F(ModuleFileCheck, TheBuiltModuleHasNoProblem) {
    EXPECT_EQ(moduleFileProblem(PLIX_MODULE_PATH), "");
}

TEST_F(ModuleFileCheck, WindowsDllsAreCheckedTheSameWay) {
    EXPECT_EQ(moduleFileProblem(write("cut.dll", cutDll()), ModuleFormat::pe).rfind("is cut short", 0), 0u);
    std::vector<unsigned char> whole = cutDll();
    whole.resize(0x1100);
    EXPECT_EQ(moduleFileProblem(write("whole.dll", whole), ModuleFormat::pe), "");
    std::vector<unsigned char> program = whole;
    program[0x80 + 23] = 0;
    EXPECT_EQ(moduleFileProblem(write("program.exe", program), ModuleFormat::pe), "is a Windows program, not a DLL");
    if (builtModuleIsElf()) {
        EXPECT_EQ(moduleFileProblem(PLIX_MODULE_PATH, ModuleFormat::pe).rfind("is a shared object of Linux", 0), 0u);
        return;
    }
    // The Windows build's own DLL, damaged.
    EXPECT_EQ(moduleFileProblem(PLIX_MODULE_PATH, ModuleFormat::elf).rfind("is a Windows DLL", 0), 0u);
    // (Its last bytes are the symbol table, which the loader never reads.)
    for (const std::size_t size : {std::size_t{40}, std::size_t{5000}})
        EXPECT_EQ(moduleFileProblem(write("cut_" + std::to_string(size) + ".dll", cutAt(size)), ModuleFormat::pe)
                      .rfind("is cut short: it has " + std::to_string(size) + " bytes", 0),
                  0u)
            << size;
    std::vector<unsigned char> i386 = moduleBytes();
    const std::size_t peHeader = i386[0x3C] | (std::size_t{i386[0x3D]} << 8);
    i386[peHeader + 4] = 0x4C;
    i386[peHeader + 5] = 0x01;
    EXPECT_EQ(moduleFileProblem(write("i386.dll", i386), ModuleFormat::pe).rfind("is a 32-bit Windows file", 0), 0u);
}

TEST_F(ModuleFileCheck, WhatIsNoFileSaysWhatItIs) {
    EXPECT_EQ(moduleFileProblem((folder_ / "missing.p").string()), "does not exist");
    EXPECT_EQ(moduleFileProblem(folder_.path().string()), "is a folder, not a module file");
#ifndef _WIN32
    EXPECT_EQ(moduleFileProblem("/dev/zero").rfind("is not a regular file", 0), 0u);
    const std::string pipe = (folder_ / "pipe.p").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(moduleFileProblem(pipe).rfind("is not a regular file", 0), 0u); // and does not block
#endif
}

#ifndef _WIN32
TEST_F(ModuleFileCheck, AnUnreadableFileGivesTheSystemsReason) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const std::string file = write("locked.p", moduleBytes());
    ASSERT_EQ(chmod(file.c_str(), 0), 0);
    EXPECT_EQ(moduleFileProblem(file), "cannot be read: Permission denied");
}

TEST_F(ModuleFileCheck, ABareNameIsTheFileInTheCurrentFolder) {
    write("here.p", moduleBytes());
    const fs::path before = fs::current_path();
    fs::current_path(folder_.path());
    std::string error;
    ModuleLibrary library = ModuleLibrary::open("here.p", &error);
    const bool opened = library.isOpen();
    library.close();
    fs::current_path(before);
    EXPECT_TRUE(opened) << error;
}
#endif

} // namespace
} // namespace plix::platform
