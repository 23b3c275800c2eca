// Feeds files to the fuzz entry once each, with any compiler: the corpus as
// regression tests where libFuzzer is not at hand.
//
//   plix_fuzz_replay PATH...
//
// A PATH that is a folder stands for every regular file in it, in name order.
// The file being replayed is named on stderr before it runs, so a finding
// (the entry traps) points at its input. Exits 0 when every file ran, 1 when a
// path cannot be read or no file was found.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The files a path stands for; false when it cannot be read.
bool collect(const fs::path &path, std::vector<fs::path> &files) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        std::vector<fs::path> found;
        for (const fs::directory_entry &entry : fs::directory_iterator(path, error))
            if (entry.is_regular_file(error)) found.push_back(entry.path());
        if (error) return false;
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
        return true;
    }
    if (!fs::is_regular_file(path, error)) return false;
    files.push_back(path);
    return true;
}

bool readBytes(const fs::path &file, std::vector<std::uint8_t> &bytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH...\n  replays each file (or each file of a folder) through the fuzz entry\n",
                     argv[0]);
        return 1;
    }
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (!collect(argv[i], files)) {
            std::fprintf(stderr, "%s: cannot read this file or folder\n", argv[i]);
            return 1;
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "no files to replay in the paths given\n");
        return 1;
    }
    std::vector<std::uint8_t> bytes;
    for (const fs::path &file : files) {
        if (!readBytes(file, bytes)) {
            std::fprintf(stderr, "%s: cannot read this file\n", file.string().c_str());
            return 1;
        }
        std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.string().c_str(), bytes.size());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu files replayed, no finding\n", files.size());
    return 0;
}
