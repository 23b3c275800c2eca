// A loaded module file (shared object / DLL) and the symbols it exports.
#pragma once

#include <string>

namespace plix::platform {

// Owns one loaded module file; unloads it when destroyed or closed.
// Move-only. Not thread-safe: open, look up and close from one thread.
class ModuleLibrary {
public:
    ModuleLibrary() = default;
    ~ModuleLibrary();
    ModuleLibrary(ModuleLibrary &&other) noexcept;
    ModuleLibrary &operator=(ModuleLibrary &&other) noexcept;
    ModuleLibrary(const ModuleLibrary &) = delete;
    ModuleLibrary &operator=(const ModuleLibrary &) = delete;

    // Loads the module file at `path` (UTF-8), resolving all its symbols now.
    // On failure returns a closed library and, when `error` is given, the
    // system's reason.
    static ModuleLibrary open(const std::string &path, std::string *error = nullptr);

    bool isOpen() const noexcept { return handle_ != nullptr; }

    // Address of an exported symbol, or null when the module has none of
    // that name (or the library is closed).
    void *symbol(const char *name) const noexcept;

    void close() noexcept;

private:
    explicit ModuleLibrary(void *handle) noexcept : handle_(handle) {}
    void *handle_ = nullptr;
};

} // namespace plix::platform
