#include "plix/platform/module_library.h"

#include <filesystem>
#include <system_error>

#include "win32_text.h"

namespace plix::platform {

ModuleLibrary ModuleLibrary::open(const std::string &path, std::string *error) {
    // Only a full path is loaded as given: a relative one or a bare name
    // would be searched for along the DLL search path instead.
    std::error_code ec;
    std::filesystem::path file = std::filesystem::absolute(std::filesystem::path(win32::widen(path)), ec);
    if (ec) file = std::filesystem::path(win32::widen(path));
    HMODULE handle = LoadLibraryW(file.c_str());
    if (!handle && error) *error = "cannot load " + path + ": " + win32::lastErrorText();
    return ModuleLibrary(reinterpret_cast<void *>(handle));
}

void *ModuleLibrary::symbol(const char *name) const noexcept {
    if (!handle_ || !name) return nullptr;
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void ModuleLibrary::close() noexcept {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

} // namespace plix::platform
