// The module's two servers as the host uses them: activation into host-owned
// records and tables, and plain C++ calls of every entry.
#pragma once

#include <array>
#include <vector>

#include "plix/host/handler_abi.h"
#include "plix/geometry.h"
#include "plix/standin/module_file.h"
#include "plix/standin/standin_host.h"

namespace plix::standin {

// The "DisplacementHandler" server. Owns the handler record and its three
// tables (zero-filled until an activation writes them). Every wrapper calls
// through the tables; an entry that is missing (null slot) is not called and
// the wrapper returns zero / null. Not copyable or movable: the record points
// into the object.
class HandlerServer {
public:
    HandlerServer(const ModuleFile &module, StandinHost &host);
    HandlerServer(const HandlerServer &) = delete;
    HandlerServer &operator=(const HandlerServer &) = delete;

    // Calls the server's activation with the host's global lookup and the
    // record; returns its result (0 activated, 1 version, 2 missing service),
    // or -1 when the module has no such server.
    int activate(int version = PLIX_INTERFACE_VERSION);

    DisplacementHandler &record() { return record_; }
    std::array<void *, PLIX_INSTANCE_TABLE_SLOTS> &instanceTable() { return instanceTable_; }
    std::array<void *, PLIX_ITEM_TABLE_SLOTS> &itemTable() { return itemTable_; }
    std::array<void *, PLIX_RENDER_TABLE_SLOTS> &renderTable() { return renderTable_; }

    // ---- instance table ----
    void *create(void *item, const char **errorText = nullptr, void *priv = nullptr);
    void destroy(void *instance);
    const char *copy(void *destination, void *source);
    const char *load(void *instance, const LoadState *state);
    const char *save(void *instance, const SaveState *state);
    const char *describe(void *instance);
    // ---- item table ----
    const void **useItems(void *instance);
    void changeId(void *instance, const void **ids);
    // ---- render table ----
    const char *renderInit(void *instance, int mode);
    void renderCleanup(void *instance);
    const char *newTime(void *instance, int frame, double time);
    // ---- record ----
    // One evaluate call; the access record is handed over as given.
    void evaluate(void *instance, DisplacementAccess &access);
    // One evaluate call for a point at `oldPos`; returns the position written.
    geometry::Vec3 evaluate(void *instance, geometry::Vec3 oldPos = {});
    // `calls` evaluate calls in a row (as the host does for each point).
    std::vector<geometry::Vec3> evaluateAll(void *instance, int calls);
    // The same into `positions`, whose memory is kept from call to call.
    void evaluateAll(void *instance, int calls, std::vector<geometry::Vec3> &positions);
    unsigned int flags(void *instance);

private:
    const ModuleFile &module_;
    StandinHost &host_;
    std::array<void *, PLIX_INSTANCE_TABLE_SLOTS> instanceTable_{};
    std::array<void *, PLIX_ITEM_TABLE_SLOTS> itemTable_{};
    std::array<void *, PLIX_RENDER_TABLE_SLOTS> renderTable_{};
    DisplacementHandler record_{};
};

struct InterfaceActivation {
    int result = -1; // 0 activated, 1 version; -1 when the module has no such server
    DisplacementInterface record{};
};

// The "DisplacementInterface" server: builds a settings panel for an instance.
class InterfaceServer {
public:
    InterfaceServer(const ModuleFile &module, StandinHost &host) : module_(module), host_(host) {}

    // Activates with a record naming `instance`; options, panel and command
    // start as `prefill` (so a test can see which fields were written).
    InterfaceActivation activate(void *instance, int version = PLIX_INTERFACE_VERSION,
                                 void *prefill = nullptr);

private:
    const ModuleFile &module_;
    StandinHost &host_;
};

} // namespace plix::standin
