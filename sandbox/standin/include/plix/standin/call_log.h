// Every call the module makes into the stand-in host's services, in order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plix::standin {

enum class Service : std::uint8_t { Global, ObjectInfo, ItemInfo, Particles, XPanel };

// Which operation was called. The comment names the fields of HostCall it fills.
enum class CallKind : std::uint8_t {
    Lookup,          // global lookup: name, code = use code, pointer = table returned (null: none)
    PointCount,      // "LW Object Info" 1: item, count = points answered
    ItemParam,       // "LW Item Info" 9: item, code, time, values = answer
    ParticleCreate,  // "Particle Services" 0: code = buffer flags, count = type, system = result
    ParticleInit,    // 2: system, count
    ParticleCleanup, // 3: system
    ParticleAttach,  // 7: system, item
    ParticleBuffer,  // 11: system, code = buffer flag, buffer = result
    ParticleSet,     // 15: buffer, index, code = buffer flag, floats / byte = data
    PanelCreate,     // "LWXPanel" 2: code = kind, pointer = control table, panel = result
    PanelDescribe,   // 4: panel, pointer = data table
    PanelHint,       // 7: panel, id, pointer = instance
    PanelUserData,   // 9: panel, id, pointer = address handed over, instance = value read through it
    PanelInstance,   // 10: panel, pointer = instance
};
constexpr std::size_t callKindCount = 14;

// One call with its arguments. Fields a kind does not use stay zero.
struct HostCall {
    CallKind kind{};
    Service service{};
    int slot = 0;              // slot of the service table (0 for Lookup)
    void *item = nullptr;      // object item
    void *system = nullptr;    // particle system
    void *buffer = nullptr;    // particle buffer
    void *panel = nullptr;     // panel
    void *pointer = nullptr;   // instance, table or address handed over, or the lookup's result
    void *instance = nullptr;  // PanelUserData: instance read through the address
    int code = 0;              // parameter code, buffer flag(s), panel kind, lookup use code
    unsigned int id = 0;       // panel identifier
    int count = 0;             // particle count, create type, point count answered
    int index = 0;             // particle index
    double time = 0.0;         // item parameter time, seconds
    std::array<double, 3> values{};  // item parameter answer
    std::array<float, 3> floats{};   // particle data: position (3) or age (first)
    std::uint8_t byte = 0;           // particle data: enable byte
    int dataSize = 0;                // bytes of particle data read: 12, 4 or 1
    std::string name;                // Lookup: service name asked for
    // The host refused the call's input (unknown handle or item, index out of
    // range, null address, unknown code): it answered zero and stored nothing.
    bool rejected = false;
};

// The calls in order, while recording is on; counts per kind and of
// rejected calls are always kept (cheap enough for millions of calls).
class CallLog {
public:
    bool recording() const { return recording_; }
    void setRecording(bool on) { recording_ = on; }

    const std::vector<HostCall> &calls() const { return calls_; }
    std::size_t count(CallKind kind) const { return counts_[static_cast<std::size_t>(kind)]; }
    std::size_t rejectedCount() const { return rejected_; }

    // The recorded calls of one kind, in order.
    std::vector<HostCall> ofKind(CallKind kind) const;

    // Forgets the recorded calls and zeroes every count.
    void clear();

    // Adds a call (the host's service entries use this).
    void add(HostCall call);
    // Counts a call that is not recorded: what add does while recording is off.
    void tally(CallKind kind, bool rejected) {
        ++counts_[static_cast<std::size_t>(kind)];
        if (rejected) ++rejected_;
    }

private:
    bool recording_ = true;
    std::vector<HostCall> calls_;
    std::array<std::size_t, callKindCount> counts_{};
    std::size_t rejected_ = 0;
};

} // namespace plix::standin
