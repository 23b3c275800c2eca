#include "plix/standin/call_log.h"

namespace plix::standin {

std::vector<HostCall> CallLog::ofKind(CallKind kind) const {
    std::vector<HostCall> matching;
    for (const HostCall &call : calls_)
        if (call.kind == kind) matching.push_back(call);
    return matching;
}

void CallLog::clear() {
    calls_.clear();
    counts_.fill(0);
    rejected_ = 0;
}

void CallLog::add(HostCall call) {
    tally(call.kind, call.rejected);
    if (recording_) calls_.push_back(std::move(call));
}

} // namespace plix::standin
