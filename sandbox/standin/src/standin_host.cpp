#include "plix/standin/standin_host.h"

#include <atomic>
#include <bit>
#include <cstring>

#include "service_tables.h"

namespace plix::standin {
namespace {

// The host reached by the global lookup and the service entries: they carry
// no user data, so there is one per process.
std::atomic<StandinHost *> activeHost{nullptr};

constexpr Service offeredServices[] = {Service::ObjectInfo, Service::ItemInfo, Service::Particles,
                                       Service::XPanel};

void *globalLookup(const char *name, int useCode) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return nullptr;
    void *table = nullptr;
    {
        auto guard = host->lock();
        HostCall call;
        call.kind = CallKind::Lookup;
        call.service = Service::Global;
        call.code = useCode;
        if (name) {
            call.name = name;
            for (Service service : offeredServices)
                if (std::strcmp(name, serviceName(service)) == 0 && host->offers(service))
                    table = const_cast<void **>(host->serviceTable(service));
        }
        call.pointer = table;
        call.rejected = !name;
        host->calls().add(std::move(call));
    }
    return table;
}

} // namespace

const char *serviceName(Service service) {
    switch (service) {
    case Service::Global: return "";
    case Service::ObjectInfo: return PLIX_SERVICE_OBJECT_INFO;
    case Service::ItemInfo: return PLIX_SERVICE_ITEM_INFO;
    case Service::Particles: return PLIX_SERVICE_PARTICLES;
    case Service::XPanel: return PLIX_SERVICE_XPANEL;
    }
    return "";
}

StandinHost::StandinHost() {
    detail::fillObjectInfoTable(objectInfoTable_);
    detail::fillItemInfoTable(itemInfoTable_);
    detail::fillParticleTable(particleTable_);
    detail::fillXPanelTable(xpanelTable_);
    makeActive();
}

StandinHost::~StandinHost() {
    StandinHost *self = this;
    activeHost.compare_exchange_strong(self, nullptr);
}

StandinHost *StandinHost::active() { return activeHost.load(); }

void StandinHost::makeActive() { activeHost.store(this); }

GlobalFunc *StandinHost::globalFunc() const { return globalLookup; }

void StandinHost::addObject(HostObject object) {
    auto guard = lock();
    const void *item = object.item;
    objects_.insert_or_assign(item, std::move(object));
    axesObject_ = nullptr;
}

const geometry::Axes &StandinHost::axesOf(const HostObject &object, double time) {
    const auto bits = std::bit_cast<std::uint64_t>(time); // the same time to the bit
    if (axesObject_ != &object || axesTimeBits_ != bits) {
        axes_ = object.axes ? object.axes(time) : geometry::Axes{};
        axesObject_ = &object;
        axesTimeBits_ = bits;
    }
    return axes_;
}

const HostObject *StandinHost::object(const void *item) const {
    const auto found = objects_.find(item);
    return found == objects_.end() ? nullptr : &found->second;
}

bool StandinHost::offers(Service service) const { return offered_[static_cast<std::size_t>(service)]; }

void StandinHost::setOffered(Service service, bool offered) {
    auto guard = lock();
    offered_[static_cast<std::size_t>(service)] = offered;
}

void *const *StandinHost::serviceTable(Service service) const {
    switch (service) {
    case Service::ObjectInfo: return objectInfoTable_.data();
    case Service::ItemInfo: return itemInfoTable_.data();
    case Service::Particles: return particleTable_.data();
    case Service::XPanel: return xpanelTable_.data();
    case Service::Global: break;
    }
    return nullptr;
}

} // namespace plix::standin
