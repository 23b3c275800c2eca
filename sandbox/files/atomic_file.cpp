#include "files/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>

namespace plix::files {
namespace {

namespace fs = std::filesystem;

const std::string temporarySuffix = ".partial";

fs::path temporaryBeside(const fs::path &target) {
    std::random_device entropy;
    const unsigned long tag = (static_cast<unsigned long>(entropy()) << 16) ^ entropy();
    return target.parent_path() / ("." + target.filename().string() + "." + std::to_string(tag) + temporarySuffix);
}

} // namespace

void checkCanWrite(const fs::path &target, const OutputRules &rules) {
    std::error_code ec;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) throw std::runtime_error("cannot write " + target.string() + ": no folder " + folder.string());
    const AtomicOutputFile probe(target, rules); // its temporary file goes again unless committed
}

bool isTemporaryFileName(std::string_view name) {
    return name.size() > 1 + temporarySuffix.size() && name.starts_with(".") && name.ends_with(temporarySuffix);
}

AtomicOutputFile::AtomicOutputFile(fs::path target, const OutputRules &rules)
    : target_(std::move(target)), rules_(rules), place_(outputPlace(target_, rules_)),
      temporary_(temporaryBeside(place_.written)) {
    out_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!out_) throw std::runtime_error("cannot write " + target_.string() + ": " + std::strerror(errno));
}

AtomicOutputFile::~AtomicOutputFile() {
    if (!done_) discard();
}

void AtomicOutputFile::discard() noexcept {
    done_ = true;
    out_.close();
    std::error_code ignored;
    fs::remove(temporary_, ignored);
}

// The other names of a hard-linked file see the new content only when the
// file itself is rewritten; the content is whole in the temporary file first.
void AtomicOutputFile::rewriteInPlace() {
    std::ifstream in(temporary_, std::ios::binary);
    std::ofstream target(place_.written, std::ios::binary | std::ios::trunc);
    if (!in || !target) throw std::runtime_error("cannot write " + target_.string() + ": " + std::strerror(errno));
    target << in.rdbuf();
    target.close();
    if (!target) throw std::runtime_error("cannot write " + target_.string() + " (is the disk full? is the file size limited?)");
}

void AtomicOutputFile::commit() {
    if (done_) return;
    out_.close();
    if (!out_) {
        discard();
        throw std::runtime_error("cannot write " + target_.string() + " (is the disk full? is the file size limited?)");
    }
    try {
        // What stands at the target may have changed since the file was begun.
        place_ = outputPlace(target_, rules_);
        if (place_.hardLinked) {
            rewriteInPlace();
            discard();
            return;
        }
    } catch (...) {
        discard();
        throw;
    }
    std::error_code ec;
    if (place_.mode) fs::permissions(temporary_, *place_.mode, fs::perm_options::replace, ec);
    // The temporary file lies beside the file it replaces, so the rename stays
    // on one file system.
    if (temporary_.parent_path() != place_.written.parent_path()) {
        discard();
        throw std::runtime_error("cannot replace " + target_.string() + ": its link now names another folder");
    }
    fs::rename(temporary_, place_.written, ec);
    if (ec) {
        discard();
        throw std::runtime_error("cannot replace " + target_.string() + ": " + ec.message());
    }
    done_ = true;
}

void writeFileAtomically(const fs::path &target, std::string_view content, const OutputRules &rules) {
    AtomicOutputFile file(target, rules);
    file.stream().write(content.data(), static_cast<std::streamsize>(content.size()));
    file.commit();
}

} // namespace plix::files
