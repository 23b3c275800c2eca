#include "app/interrupt.h"

#include <csignal>
#include <cstdlib>
#include <string>

namespace plix::sandbox {
namespace {

volatile std::sig_atomic_t pending = 0;

extern "C" void noteSignal(int signal) {
    pending = signal;
    std::signal(signal, SIG_DFL); // a second one ends the program at once
}

using Handler = void (*)(int);
Handler previousInterrupt = SIG_DFL;
Handler previousTerminate = SIG_DFL;

std::string signalName(int signal) {
    if (signal == SIGINT) return "SIGINT";
    if (signal == SIGTERM) return "SIGTERM";
    return "signal " + std::to_string(signal);
}

} // namespace

Interrupted::Interrupted(int signal)
    : std::runtime_error("interrupted by " + signalName(signal)), signal_(signal) {}

InterruptGuard::InterruptGuard() {
    pending = 0;
    previousInterrupt = std::signal(SIGINT, noteSignal);
    previousTerminate = std::signal(SIGTERM, noteSignal);
}

InterruptGuard::~InterruptGuard() {
    std::signal(SIGINT, previousInterrupt == SIG_ERR ? SIG_DFL : previousInterrupt);
    std::signal(SIGTERM, previousTerminate == SIG_ERR ? SIG_DFL : previousTerminate);
}

void stopIfInterrupted() {
    if (pending != 0) throw Interrupted(pending);
}

void endAsSignalled(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal); // where raising it did not end the program
}

} // namespace plix::sandbox
