// "LW Object Info" and "LW Item Info": the scene objects, as the module asks.
#include "plix/host/slots.h"
#include "plix/standin/standin_host.h"
#include "service_tables.h"

namespace plix::standin::detail {
namespace {

int numPoints(void *item) noexcept {
    StandinHost *host = StandinHost::active();
    if (!host) return 0;
    auto guard = host->lock();
    const HostObject *object = host->object(item);
    HostCall call;
    call.kind = CallKind::PointCount;
    call.service = Service::ObjectInfo;
    call.slot = PLIX_OBJECT_NUM_POINTS;
    call.item = item;
    call.count = object ? object->pointCount : 0;
    call.rejected = !object;
    host->calls().add(std::move(call));
    return object ? object->pointCount : 0;
}

// The answer for one parameter code; false for an unknown code.
bool parameter(StandinHost &host, const HostObject &object, int code, double time, geometry::Vec3 &out) {
    switch (code) {
    case PLIX_PARAM_RIGHT: out = host.axesOf(object, time).x; return true;
    case PLIX_PARAM_UP: out = host.axesOf(object, time).y; return true;
    case PLIX_PARAM_FORWARD: out = host.axesOf(object, time).z; return true;
    case PLIX_PARAM_W_POSITION: out = object.position ? object.position(time) : geometry::Vec3{}; return true;
    default: return false;
    }
}

void itemParam(void *item, int code, double time, double out[3]) noexcept {
    StandinHost *host = StandinHost::active();
    geometry::Vec3 value;
    if (host) {
        auto guard = host->lock();
        const HostObject *object = host->object(item);
        const bool known = object && out && parameter(*host, *object, code, time, value);
        if (host->calls().recording()) {
            HostCall call;
            call.kind = CallKind::ItemParam;
            call.service = Service::ItemInfo;
            call.slot = PLIX_ITEM_PARAM;
            call.item = item;
            call.code = code;
            call.time = time;
            call.values = {value.x, value.y, value.z};
            call.rejected = !known;
            host->calls().add(std::move(call));
        } else { // millions of calls a frame: nothing built for the record
            host->calls().tally(CallKind::ItemParam, !known);
        }
    }
    if (!out) return;
    out[0] = value.x;
    out[1] = value.y;
    out[2] = value.z;
}

} // namespace

void fillObjectInfoTable(std::array<void *, PLIX_OBJECT_INFO_SLOTS> &table) {
    setSlot<ObjectNumPointsFunc>(table.data(), PLIX_OBJECT_NUM_POINTS, numPoints);
}

void fillItemInfoTable(std::array<void *, PLIX_ITEM_INFO_SLOTS> &table) {
    setSlot<ItemParamFunc>(table.data(), PLIX_ITEM_PARAM, itemParam);
}

} // namespace plix::standin::detail
