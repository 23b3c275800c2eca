#include "plix/platform/folder_lock.h"

#include <string>

#include <windows.h>

namespace plix::platform {

// A file opened for writing that no one else may open for writing is the
// lock; others may read the holder's process id from it. The system closes
// the file, and so deletes it, when the process ends in any way.
FolderLock::FolderLock(const std::filesystem::path &folder) : file_(folder / fileName) {
    HANDLE file = CreateFileW(file_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION)
            throw std::runtime_error("cannot lock the folder " + folder.string() + " (error " + std::to_string(error) + ")");
        std::string holder;
        HANDLE reader = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        if (reader != INVALID_HANDLE_VALUE) {
            char text[32] = {};
            DWORD got = 0;
            if (ReadFile(reader, text, sizeof text - 1, &got, nullptr)) holder.assign(text, got);
            CloseHandle(reader);
        }
        while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\r')) holder.pop_back();
        if (holder.find_first_not_of("0123456789") != std::string::npos) holder.clear();
        throw FolderLocked("another plix-sandbox run" + (holder.empty() ? "" : " (process " + holder + ")") +
                               " is writing into " + folder.string() +
                               "; wait until it has ended, or play into another --out folder",
                           holder);
    }
    const std::string pid = std::to_string(GetCurrentProcessId()) + "\n";
    DWORD written = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    handle_ = reinterpret_cast<std::intptr_t>(file);
}

FolderLock::~FolderLock() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

} // namespace plix::platform
