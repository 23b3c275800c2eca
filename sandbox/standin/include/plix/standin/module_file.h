// A module file loaded as the host loads it: its descriptor checked, its
// startup entry called, its servers found by class name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "plix/host/plugin_abi.h"
#include "plix/platform/module_library.h"

namespace plix::standin {

enum class ModuleError {
    None,
    CannotLoad,    // the file could not be loaded
    NoDescriptor,  // it exports no "_mod_descrip"
    BadSync,       // the descriptor's sync word is not 0x04121994
    BadVersion,    // descriptor version is not 3
    BadMachine,    // machine is not 0x300
    NoServerTable, // the server table address is null
};

const char *describe(ModuleError error);

// Not copyable or movable: activations keep a reference to it.
class ModuleFile {
public:
    ModuleFile() = default;
    ~ModuleFile() { close(); }
    ModuleFile(const ModuleFile &) = delete;
    ModuleFile &operator=(const ModuleFile &) = delete;

    // Checks the file's headers, loads it and checks its descriptor; on
    // success calls startup and keeps its result as the server data. Returns
    // false on any failure (see error() and errorText()); the module is then
    // not kept loaded. A path without a folder is a file in the current folder.
    bool open(const std::string &path);

    // Calls shutdown with the server data, then unloads the file.
    void close();

    bool isOpen() const { return descriptor_ != nullptr; }
    ModuleError error() const { return error_; }
    // The whole reason, to follow "cannot load the module FILE: " ("the file is
    // cut short: ...", "it exports no _mod_descrip").
    const std::string &errorText() const { return errorText_; }

    const ModuleDescriptor *descriptor() const { return descriptor_; }
    void *serverData() const { return serverData_; }

    // The rows of the server table before its all-zero row (at most 256).
    const std::vector<ServerRow> &servers() const { return servers_; }
    // The first row of that class and name, or null.
    const ServerRow *findServer(std::string_view className, std::string_view name = PLIX_SERVER_NAME) const;

    // Any exported symbol, for tests of what the file exports.
    void *symbol(const char *name) const { return library_.symbol(name); }

private:
    bool fail(ModuleError error, std::string text);

    platform::ModuleLibrary library_;
    const ModuleDescriptor *descriptor_ = nullptr;
    void *serverData_ = nullptr;
    std::vector<ServerRow> servers_;
    ModuleError error_ = ModuleError::None;
    std::string errorText_;
};

} // namespace plix::standin
