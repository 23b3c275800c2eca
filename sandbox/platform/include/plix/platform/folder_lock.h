// A lock on a folder that one process writes into, held for as long as the
// FolderLock lives: a lock file (.plix-lock) in the folder, locked by the
// system (flock on POSIX, a file no one else may open for writing on
// Windows) and holding the holder's process id. The system lets go of the
// lock when the process ends in any way, even killed, so a lock is never
// left behind; the file is removed when the lock is let go.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace plix::platform {

// Another process holds the folder's lock.
class FolderLocked : public std::runtime_error {
public:
    FolderLocked(const std::string &message, std::string holder)
        : std::runtime_error(message), holder_(std::move(holder)) {}
    // The holder's process id as its lock file says, or "" when unknown.
    const std::string &holder() const { return holder_; }

private:
    std::string holder_;
};

class FolderLock {
public:
    static constexpr const char *fileName = ".plix-lock";

    // Takes the lock of `folder`, which must exist, without waiting. Throws
    // FolderLocked when another process holds it, std::runtime_error when
    // the lock file cannot be made.
    explicit FolderLock(const std::filesystem::path &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    std::filesystem::path file_;
    std::intptr_t handle_ = -1;
};

} // namespace plix::platform
