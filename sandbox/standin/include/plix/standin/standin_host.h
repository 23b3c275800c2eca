// The stand-in host: the services a module looks up through the global
// lookup ("LW Object Info", "LW Item Info", "Particle Services", "LWXPanel"),
// the scene objects they describe, and a record of every call.
//
// The host's global lookup and its service entries carry no user data, so the
// host they reach is process-wide: the one made active last (each StandinHost
// makes itself active when constructed and steps down when destroyed). Calls
// that arrive with no active host get zero / null answers.
//
// The host's state is guarded by one lock, so calls from several threads do
// not corrupt it; the accessors that return references (calls(), particles(),
// panels()) are meant to be read while the module is idle.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "plix/host/plugin_abi.h"
#include "plix/host/service_abi.h"
#include "plix/standin/call_log.h"
#include "plix/standin/panel_toolkit.h"
#include "plix/standin/particle_store.h"
#include "plix/standin/host_object.h"

namespace plix::standin {

// Service names as the module asks for them.
const char *serviceName(Service service);

class StandinHost {
public:
    StandinHost();
    ~StandinHost();
    StandinHost(const StandinHost &) = delete;
    StandinHost &operator=(const StandinHost &) = delete;

    // The host that the global lookup and the service entries reach.
    static StandinHost *active();
    void makeActive();

    // The global lookup to hand to activations.
    GlobalFunc *globalFunc() const;

    // ---- scene ------------------------------------------------------------
    // Adds an object, or replaces the one with the same item.
    void addObject(HostObject object);
    const HostObject *object(const void *item) const;
    // An object's axes at a time, under the host's lock. The module asks for
    // the three axes of one time in a row, so the last answer is kept.
    const geometry::Axes &axesOf(const HostObject &object, double time);

    // ---- services -----------------------------------------------------------
    // A withheld service is answered with null by the global lookup.
    void withhold(Service service) { setOffered(service, false); }
    void offer(Service service) { setOffered(service, true); }
    bool offers(Service service) const;
    // The table the lookup hands out for a service (slots as the module uses them).
    void *const *serviceTable(Service service) const;

    // ---- what happened --------------------------------------------------
    CallLog &calls() { return log_; }
    const CallLog &calls() const { return log_; }
    ParticleStore &particles() { return particles_; }
    const ParticleStore &particles() const { return particles_; }
    PanelToolkit &panels() { return panels_; }
    const PanelToolkit &panels() const { return panels_; }

    // Used by the service entries: all host state changes go through here.
    std::unique_lock<std::mutex> lock() const { return std::unique_lock<std::mutex>(mutex_); }

private:
    void setOffered(Service service, bool offered);

    mutable std::mutex mutex_;
    std::unordered_map<const void *, HostObject> objects_;
    const HostObject *axesObject_ = nullptr; // whose axes axes_ are; none after addObject
    std::uint64_t axesTimeBits_ = 0;
    geometry::Axes axes_{};
    std::array<bool, 5> offered_{true, true, true, true, true};
    std::array<void *, PLIX_OBJECT_INFO_SLOTS> objectInfoTable_{};
    std::array<void *, PLIX_ITEM_INFO_SLOTS> itemInfoTable_{};
    std::array<void *, PLIX_PARTICLE_SLOTS> particleTable_{};
    std::array<void *, PLIX_XPANEL_SLOTS> xpanelTable_{};
    CallLog log_;
    ParticleStore particles_;
    PanelToolkit panels_;
};

} // namespace plix::standin
