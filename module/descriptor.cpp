// The module descriptor: the one symbol the module exports.
#include "plix/host/abi_layout.h"
#include "module/activation.h"

#if defined(_WIN32)
#define PLIX_EXPORT __declspec(dllexport)
#else
#define PLIX_EXPORT __attribute__((visibility("default")))
#endif

namespace {

void *startupModule() { return reinterpret_cast<void *>(static_cast<uintptr_t>(4)); }

void shutdownModule(void *) {}

const ServerRow serverTable[] = {
    {PLIX_CLASS_DISPLACEMENT_HANDLER, PLIX_SERVER_NAME, activateHandler, nullptr},
    {PLIX_CLASS_DISPLACEMENT_INTERFACE, PLIX_SERVER_NAME, activateInterface, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

} // namespace

extern "C" {
PLIX_EXPORT ModuleDescriptor _mod_descrip = {
    PLIX_MODULE_SYNC, PLIX_MODULE_DESCRIPTOR_VERSION, PLIX_MODULE_MACHINE,
    startupModule,    shutdownModule,                 serverTable,
};
}
