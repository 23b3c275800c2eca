// A module file with one fault in its descriptor, chosen at build time.
#include "plix/host/plugin_abi.h"

#ifdef _WIN32
#define FAKE_EXPORT __declspec(dllexport)
#else
#define FAKE_EXPORT __attribute__((visibility("default")))
#endif

namespace {

void *startup() { return nullptr; }
void shutdown(void *) {}
const ServerRow servers[] = {{nullptr, nullptr, nullptr, nullptr}};

#ifdef PLIX_FAKE_BAD_SYNC
constexpr uint32_t sync = 0x19941204u;
#else
constexpr uint32_t sync = PLIX_MODULE_SYNC;
#endif
#ifdef PLIX_FAKE_BAD_VERSION
constexpr uint32_t version = 2u;
#else
constexpr uint32_t version = PLIX_MODULE_DESCRIPTOR_VERSION;
#endif
#ifdef PLIX_FAKE_BAD_MACHINE
constexpr uint32_t machine = 0x200u;
#else
constexpr uint32_t machine = PLIX_MODULE_MACHINE;
#endif
#ifdef PLIX_FAKE_NO_SERVER_TABLE
constexpr const ServerRow *table = nullptr;
#else
constexpr const ServerRow *table = servers;
#endif

} // namespace

#ifdef PLIX_FAKE_NO_DESCRIPTOR
extern "C" {
FAKE_EXPORT ModuleDescriptor other_descrip = {sync, version, machine, startup, shutdown, table};
}
#else
extern "C" {
FAKE_EXPORT ModuleDescriptor _mod_descrip = {sync, version, machine, startup, shutdown, table};
}
#endif
