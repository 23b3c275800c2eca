#include "plix/platform/folder_lock.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plix::platform {
namespace {

std::string holderOf(int fd) {
    char text[32] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    std::string holder(text, got > 0 ? static_cast<std::size_t>(got) : 0);
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == ' ')) holder.pop_back();
    return holder.find_first_not_of("0123456789") == std::string::npos ? holder : std::string();
}

} // namespace

FolderLock::FolderLock(const std::filesystem::path &folder) : file_(folder / fileName) {
    // The holder removes the file when it lets go: a lock taken on a file
    // that is no longer the one at the name is taken again.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot lock the folder " + folder.string() + ": " + std::strerror(errno));
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            const std::string holder = holderOf(fd);
            ::close(fd);
            if (error != EWOULDBLOCK)
                throw std::runtime_error("cannot lock the folder " + folder.string() + ": " + std::strerror(error));
            throw FolderLocked("another plix-sandbox run" + (holder.empty() ? "" : " (process " + holder + ")") +
                                   " is writing into " + folder.string() +
                                   "; wait until it has ended, or play into another --out folder",
                               holder);
        }
        struct stat locked {}, named {};
        if (::fstat(fd, &locked) == 0 && ::stat(file_.c_str(), &named) == 0 && locked.st_dev == named.st_dev &&
            locked.st_ino == named.st_ino) {
            const std::string pid = std::to_string(::getpid()) + "\n";
            if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
                // The lock holds without the holder's number.
            }
            handle_ = fd;
            return;
        }
        ::close(fd);
    }
    throw std::runtime_error("cannot lock the folder " + folder.string() + ": its lock file keeps changing");
}

FolderLock::~FolderLock() {
    if (handle_ < 0) return;
    ::unlink(file_.c_str()); // while still locked, so no one takes the old file
    ::close(static_cast<int>(handle_));
}

} // namespace plix::platform
