#include "plix/standin/module_file.h"

#include <cstdio>

#include "plix/platform/module_file_check.h"
#include "plix/host/abi_layout.h" // the records read here have the module's layout, on every system

namespace plix::standin {
namespace {

// A server table that never ends is cut here rather than read without end.
constexpr int maxServerRows = 256;

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

bool equalText(const char *text, std::string_view expected) { return text && std::string_view(text) == expected; }

} // namespace

const char *describe(ModuleError error) {
    switch (error) {
    case ModuleError::None: return "no error";
    case ModuleError::CannotLoad: return "the module file cannot be loaded";
    case ModuleError::NoDescriptor: return "the module exports no " PLIX_DESCRIPTOR_SYMBOL;
    case ModuleError::BadSync: return "the module descriptor has a wrong sync word";
    case ModuleError::BadVersion: return "the module descriptor has an unsupported version";
    case ModuleError::BadMachine: return "the module is built for another machine";
    case ModuleError::NoServerTable: return "the module descriptor has no server table";
    }
    return "unknown error";
}

bool ModuleFile::fail(ModuleError error, std::string text) {
    library_.close();
    descriptor_ = nullptr;
    error_ = error;
    errorText_ = std::move(text);
    return false;
}

bool ModuleFile::open(const std::string &path) {
    close();
    // The headers first: the system loader faults on a truncated file and
    // blocks on a pipe instead of refusing them.
    if (const std::string problem = platform::moduleFileProblem(path); !problem.empty())
        return fail(ModuleError::CannotLoad, "the file " + problem);
    std::string reason;
    library_ = platform::ModuleLibrary::open(path, &reason);
    if (!library_.isOpen()) return fail(ModuleError::CannotLoad, reason);
    const auto *descriptor = static_cast<const ModuleDescriptor *>(library_.symbol(PLIX_DESCRIPTOR_SYMBOL));
    if (!descriptor) return fail(ModuleError::NoDescriptor, "it exports no " PLIX_DESCRIPTOR_SYMBOL);
    if (descriptor->sync != PLIX_MODULE_SYNC)
        return fail(ModuleError::BadSync, "its descriptor has a wrong sync word (" + hex(descriptor->sync) + ")");
    if (descriptor->version != PLIX_MODULE_DESCRIPTOR_VERSION)
        return fail(ModuleError::BadVersion,
                    "its descriptor has an unsupported version (" + hex(descriptor->version) + ")");
    if (descriptor->machine != PLIX_MODULE_MACHINE)
        return fail(ModuleError::BadMachine, "it is built for another machine (" + hex(descriptor->machine) + ")");
    if (!descriptor->servers) return fail(ModuleError::NoServerTable, "its descriptor has no server table");

    for (int i = 0; i < maxServerRows; ++i) {
        const ServerRow &row = descriptor->servers[i];
        if (!row.className && !row.name && !row.activate && !row.reserved) break;
        servers_.push_back(row);
    }
    descriptor_ = descriptor;
    error_ = ModuleError::None;
    errorText_.clear();
    serverData_ = descriptor->startup ? descriptor->startup() : nullptr;
    return true;
}

void ModuleFile::close() {
    if (descriptor_ && descriptor_->shutdown) descriptor_->shutdown(serverData_);
    descriptor_ = nullptr;
    serverData_ = nullptr;
    servers_.clear();
    library_.close();
}

const ServerRow *ModuleFile::findServer(std::string_view className, std::string_view name) const {
    for (const ServerRow &row : servers_)
        if (equalText(row.className, className) && equalText(row.name, name)) return &row;
    return nullptr;
}

} // namespace plix::standin
