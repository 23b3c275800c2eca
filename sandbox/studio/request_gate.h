// Reads one whole HTTP request from a connection before anything else sees
// it, under deadlines that a slow client cannot stretch: the header must be
// complete within a few seconds of its first wait, and the body within a few
// more, however the bytes trickle in. Headers that would be read wrongly
// further on are refused here: a Content-Length that is not a whole number,
// two of them, two Host headers. A body sent in chunks is handed on whole,
// with its length.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace plix::studio {

struct GateLimits {
    std::chrono::milliseconds idleWait{2000};   // for the first byte of a further request on the connection
    std::chrono::milliseconds headerTime{5000}; // for the whole header, from the first wait
    std::chrono::milliseconds bodyTime{10000};  // for the whole body, after the header
    std::size_t maxHeaderBytes = 16 * 1024;
    std::size_t maxBodyBytes = 64 * 1024;
};

struct GateOutcome {
    enum Kind { Request, Done, Refused } kind = Done;
    std::string request; // Request: the header and body, as sent
    int status = 0;      // Refused: the answer's status
    std::string message; // Refused: why
};

class RequestGate {
public:
    // `stopping` is asked every tenth of a second while the gate waits.
    RequestGate(int socket, GateLimits limits, std::function<bool()> stopping)
        : socket_(socket), limits_(limits), stopping_(std::move(stopping)) {}

    // The next request on the connection; `first` waits the header time for
    // it to begin, later ones the idle wait.
    GateOutcome next(bool first);

private:
    enum class Wait { Data, Closed, TimedOut };
    Wait readMore(std::chrono::steady_clock::time_point deadline);
    GateOutcome unchunked(std::size_t headerEnd, std::chrono::steady_clock::time_point deadline);

    int socket_;
    GateLimits limits_;
    std::function<bool()> stopping_;
    std::string pending_; // bytes read beyond the requests handed out
};

// Sends a short JSON error answer and gives up on the connection's other
// requests; waits at most a second for the client to take it.
void sendRefusal(int socket, int status, const std::string &message);

} // namespace plix::studio
