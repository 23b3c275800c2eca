#include "files/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>

namespace plix::files {
namespace {

std::filesystem::path temporaryBeside(const std::filesystem::path &target) {
    std::random_device entropy;
    const unsigned long tag = (static_cast<unsigned long>(entropy()) << 16) ^ entropy();
    return target.parent_path() / ("." + target.filename().string() + "." + std::to_string(tag) + ".partial");
}

} // namespace

bool isTemporaryFileName(std::string_view name) {
    return name.size() > 9 && name.starts_with(".") && name.ends_with(".partial");
}

AtomicOutputFile::AtomicOutputFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(temporaryBeside(target_)) {
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
    std::filesystem::remove(temporary_, ignored);
}

void AtomicOutputFile::commit() {
    if (done_) return;
    out_.close();
    if (!out_) {
        discard();
        throw std::runtime_error("cannot write " + target_.string() + " (is the disk full?)");
    }
    std::error_code ec;
    std::filesystem::rename(temporary_, target_, ec);
    if (ec) {
        discard();
        throw std::runtime_error("cannot replace " + target_.string() + ": " + ec.message());
    }
    done_ = true;
}

void writeFileAtomically(const std::filesystem::path &target, std::string_view content) {
    AtomicOutputFile file(target);
    file.stream().write(content.data(), static_cast<std::streamsize>(content.size()));
    file.commit();
}

} // namespace plix::files
