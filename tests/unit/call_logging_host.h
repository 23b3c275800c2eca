// A fake host for comparing the optimised frame with the literal one: an
// object whose axes turn and whose position moves with time, and a particle
// system and item-parameter service that log every call in order.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace plix::test {

struct HostCall {
    enum Kind : uint8_t { Cleanup, Init, ItemParam, Set } kind;
    int code = 0;         // item parameter code, or init count
    uint64_t timeBits = 0; // item parameter time
    const void *handle = nullptr;
    int index = 0;
    uint8_t data[12] = {};

    bool operator==(const HostCall &o) const {
        return kind == o.kind && code == o.code && timeBits == o.timeBits && handle == o.handle &&
               index == o.index && std::memcmp(data, o.data, sizeof data) == 0;
    }
};

// Installs the fake services as the module's host services. While `log` is
// set, every call is appended to it.
class CallLoggingHost {
public:
    CallLoggingHost();
    ~CallLoggingHost();

    static std::vector<HostCall> *log;

    // The object's item parameter at a time, as the fake host answers it.
    static void itemParam(void *item, int code, double time, double out[3]);

    // Handles the fake particle system hands out.
    static int system, positionBuffer, ageBuffer, enableBuffer;
    static int pointCount; // what the object info reports
};

} // namespace plix::test
