// What owning a loaded module file is on every system; loading, looking up
// and unloading are in module_library_posix.cpp and module_library_win32.cpp.
#include "plix/platform/module_library.h"

namespace plix::platform {

ModuleLibrary::~ModuleLibrary() { close(); }

ModuleLibrary::ModuleLibrary(ModuleLibrary &&other) noexcept : handle_(other.handle_) {
    other.handle_ = nullptr;
}

ModuleLibrary &ModuleLibrary::operator=(ModuleLibrary &&other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

} // namespace plix::platform
