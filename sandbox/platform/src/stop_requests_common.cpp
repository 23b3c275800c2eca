// The parts of stop requests every system shares.
#include <csignal>
#include <cstdlib>

#include "plix/platform/stop_requests.h"

namespace plix::platform {

StopRequested::StopRequested(int signal) : std::runtime_error("interrupted by " + signalName(signal)), signal_(signal) {}

void throwIfStopRequested() {
    if (const int signal = stopRequestSignal(); signal != 0) throw StopRequested(signal);
}

std::string signalName(int signal) {
    if (signal == SIGINT) return "SIGINT";
    if (signal == SIGTERM) return "SIGTERM";
#ifdef _WIN32
    if (signal == 1) return "the console closing";
#else
    if (signal == SIGHUP) return "SIGHUP";
#endif
    return "signal " + std::to_string(signal);
}

} // namespace plix::platform
