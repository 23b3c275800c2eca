#include <signal.h>

#include <csignal>
#include <cstdlib>
#include <mutex>
#include <iterator>

#include "plix/platform/stop_requests.h"

namespace plix::platform {
namespace {

constexpr int caught[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t pending = 0;
// Guards may be made on several threads at once (child runners in parallel):
// the count and the earlier handlers change under this lock only.
std::mutex guards;
int depth = 0;
struct sigaction earlier[std::size(caught)]{};

extern "C" void noteStopRequest(int signal) {
    if (pending == 0) {
        pending = signal;
        return;
    }
    // A second request: end at once, as the signal does by default.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

StopRequests::StopRequests() {
    const std::lock_guard<std::mutex> lock(guards);
    if (depth++ > 0) return;
    pending = 0;
    struct sigaction noting {};
    noting.sa_handler = noteStopRequest;
    sigemptyset(&noting.sa_mask);
    for (std::size_t i = 0; i < std::size(caught); ++i) {
        sigaction(caught[i], nullptr, &earlier[i]);
        if (earlier[i].sa_handler != SIG_IGN) sigaction(caught[i], &noting, nullptr);
    }
}

StopRequests::~StopRequests() {
    const std::lock_guard<std::mutex> lock(guards);
    if (--depth > 0) return;
    for (std::size_t i = 0; i < std::size(caught); ++i) sigaction(caught[i], &earlier[i], nullptr);
}

int stopRequestSignal() { return pending; }

void endAsSignalled(int signal) {
    ::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    std::_Exit(128 + signal); // where raising it did not end the program
}

} // namespace plix::platform
