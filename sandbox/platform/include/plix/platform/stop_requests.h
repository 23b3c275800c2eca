// Stop requests from outside: SIGINT (Ctrl-C), SIGTERM and SIGHUP on POSIX;
// Ctrl-C, Ctrl-Break and the console window closing on Windows. Every command
// treats them alike: while a StopRequests lives, the first request is only
// noted, and the command stops at its next safe point (between frames,
// between checks, in the studio's wait), unwinds so that every file in
// progress removes its temporary file, and then ends as the signal would have
// ended it. A second request ends the program at once. A signal this process
// was started ignoring (in the background with nohup or `&` in some shells)
// stays ignored.
//
// StopRequests nest: the outermost one installs the handlers and clears what
// was noted, inner ones share its state, and the last to go puts the earlier
// handlers back. They may be made and destroyed on any thread (child runners
// run side by side), one process-wide state for all.
#pragma once

#include <stdexcept>
#include <string>

namespace plix::platform {

class StopRequests {
public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests &) = delete;
    StopRequests &operator=(const StopRequests &) = delete;
};

// The signal of the first stop request since the outermost StopRequests was
// made (SIGINT for Ctrl-C, SIGTERM for Ctrl-Break, SIGHUP for a closing
// console on Windows), or 0. Safe to call from any thread.
int stopRequestSignal();

// Thrown by throwIfStopRequested; what() reads "interrupted by SIGINT".
class StopRequested : public std::runtime_error {
public:
    explicit StopRequested(int signal);
    int signal() const { return signal_; }

private:
    int signal_;
};

void throwIfStopRequested();

// "SIGINT", "SIGTERM", "SIGHUP", else "signal N".
std::string signalName(int signal);

// Ends the program as `signal` does by default (exit status 128 + signal in a
// POSIX shell), once the caller has cleaned up.
[[noreturn]] void endAsSignalled(int signal);

} // namespace plix::platform
