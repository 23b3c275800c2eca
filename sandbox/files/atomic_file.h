// Output files that appear whole or not at all: the content goes to a
// temporary file beside the target, which then replaces the target by a
// rename. A failure leaves an existing target as it was.
#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

namespace plix::files {

// Whether a file name is that of a temporary file the writer makes beside its
// target (".NAME.TAG.partial").
bool isTemporaryFileName(std::string_view name);

// A file written in pieces and put in place by commit(). Destroyed without a
// commit, it removes its temporary file and leaves the target untouched.
class AtomicOutputFile {
public:
    // Throws std::runtime_error naming the target when it cannot be created.
    explicit AtomicOutputFile(std::filesystem::path target);
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile &) = delete;
    AtomicOutputFile &operator=(const AtomicOutputFile &) = delete;

    std::ostream &stream() { return out_; }
    const std::filesystem::path &target() const { return target_; }

    // Throws std::runtime_error naming the target when a write failed or the
    // target cannot be replaced.
    void commit();

private:
    void discard() noexcept;

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::ofstream out_;
    bool done_ = false;
};

// Throws std::runtime_error naming the target file when it cannot be written.
void writeFileAtomically(const std::filesystem::path &target, std::string_view content);

} // namespace plix::files
