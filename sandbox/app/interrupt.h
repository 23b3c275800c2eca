// Ctrl-C and SIGTERM during a long command: the first one asks the command
// to stop at the next safe point (between frames), where it unwinds, so that
// every file in progress removes its temporary file, and then ends as the
// signal would have ended it. A second one ends the program at once.
#pragma once

#include <stdexcept>

namespace plix::sandbox {

class Interrupted : public std::runtime_error {
public:
    explicit Interrupted(int signal);
    int signal() const { return signal_; }

private:
    int signal_;
};

// Catches SIGINT and SIGTERM while it lives; restores what was there before.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;
};

// Throws Interrupted when a signal has come since the guard was made.
void stopIfInterrupted();

// Ends the program as the signal does by default (exit status 128 + signal
// in a POSIX shell).
[[noreturn]] void endAsSignalled(int signal);

} // namespace plix::sandbox
