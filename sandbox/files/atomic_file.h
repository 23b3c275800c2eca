// Output files that appear whole or not at all: the content goes to a
// temporary file beside the target, which then replaces the target by a
// rename. A failure leaves an existing target as it was.
//
// Every file the program writes goes through here, under the rules of
// output_place.h: only a regular file is created or replaced; a link is
// written through to its file; a replaced file keeps its permissions; a file
// with other hard links is rewritten in place (a rename would leave the other
// names on the old content).
#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

#include "files/output_place.h"

namespace plix::files {

// Whether a file name is that of a temporary file the writer makes beside its
// target (".NAME.TAG.partial").
bool isTemporaryFileName(std::string_view name);

// A file written in pieces and put in place by commit(). Destroyed without a
// commit, it removes its temporary file and leaves the target untouched.
class AtomicOutputFile {
public:
    // Throws std::runtime_error naming the target when it cannot be created
    // or the rules forbid writing there.
    explicit AtomicOutputFile(std::filesystem::path target, const OutputRules &rules = {});
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
    void rewriteInPlace();

    std::filesystem::path target_;
    OutputRules rules_;
    OutputPlace place_;
    std::filesystem::path temporary_;
    std::ofstream out_;
    bool done_ = false;
};

// Throws std::runtime_error naming the target file when it cannot be written.
void writeFileAtomically(const std::filesystem::path &target, std::string_view content, const OutputRules &rules = {});

// Shows before any work that `target` can be written: the rules allow it and
// its folder takes a new file (a temporary file is made there and removed).
// Throws std::runtime_error ("cannot write TARGET: ...") when not.
void checkCanWrite(const std::filesystem::path &target, const OutputRules &rules = {});

} // namespace plix::files
