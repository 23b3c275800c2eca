#include <windows.h>

#include <csignal>
#include <cstdlib>
#include <mutex>

#include "plix/platform/stop_requests.h"

namespace plix::platform {
namespace {

// Windows has no SIGHUP; a closing console is told apart by this number.
constexpr int closingConsole = 1;

volatile LONG pending = 0;
// Guards may be made on several threads at once (child runners in parallel):
// the count and the earlier handlers change under this lock only.
std::mutex guards;
int depth = 0;

int signalOf(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT: return SIGINT;
    case CTRL_BREAK_EVENT: return SIGTERM;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: return closingConsole;
    default: return 0;
    }
}

BOOL WINAPI noteStopRequest(DWORD event) {
    const int signal = signalOf(event);
    if (signal == 0) return FALSE;
    if (InterlockedCompareExchange(&pending, signal, 0) != 0) return FALSE; // a second one: the default ends us
    // For a closing console the system ends the process when this returns;
    // the time it grants is spent here so the command can reach a safe point.
    if (signal == closingConsole) Sleep(4000);
    return TRUE;
}

} // namespace

StopRequests::StopRequests() {
    const std::lock_guard<std::mutex> lock(guards);
    if (depth++ > 0) return;
    InterlockedExchange(&pending, 0);
    SetConsoleCtrlHandler(noteStopRequest, TRUE);
}

StopRequests::~StopRequests() {
    const std::lock_guard<std::mutex> lock(guards);
    if (--depth > 0) return;
    SetConsoleCtrlHandler(noteStopRequest, FALSE);
}

int stopRequestSignal() { return static_cast<int>(InterlockedCompareExchange(&pending, 0, 0)); }

void endAsSignalled(int signal) {
    std::_Exit(128 + signal);
}

} // namespace plix::platform
