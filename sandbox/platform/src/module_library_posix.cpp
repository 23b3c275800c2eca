#include "plix/platform/module_library.h"

#include <dlfcn.h>

namespace plix::platform {

ModuleLibrary ModuleLibrary::open(const std::string &path, std::string *error) {
    // RTLD_LOCAL keeps the module's symbols out of the global namespace, as a
    // host loading foreign plug-ins would.
    // A name without a folder means the file in the current folder, as
    // everywhere else; dlopen would search the library path for it instead.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void *handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && error) {
        const char *reason = dlerror();
        *error = reason ? reason : "cannot load " + path;
    }
    return ModuleLibrary(handle);
}

void *ModuleLibrary::symbol(const char *name) const noexcept {
    if (!handle_ || !name) return nullptr;
    return dlsym(handle_, name);
}

void ModuleLibrary::close() noexcept {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

} // namespace plix::platform
