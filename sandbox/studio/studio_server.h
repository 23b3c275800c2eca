// The studio's HTTP server (cpp-httplib): binds an address, then hands every
// request to the StudioApi until stopped.
//
// Each connection has a thread of its own, and connections are bounded in
// all and per client address; a request is read whole, under deadlines, by
// the request gate before it is handled. So clients that connect and then
// send nothing, or a byte now and then, hold only their own connections for
// a few seconds and never delay anyone else's requests; the module thread
// only ever computes, it never waits on a socket.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "studio/request_gate.h"
#include "studio/studio_api.h"

namespace plix::studio {

struct ServerLimits {
    GateLimits gate;
    std::size_t connections = 128; // open at once, in all
    std::size_t perClient = 32;    // open at once, from one client address
    std::chrono::milliseconds writeTime{10000}; // for a client to take one whole answer
};

class StudioServer {
public:
    explicit StudioServer(ServerLimits limits = {});
    ~StudioServer();
    StudioServer(const StudioServer &) = delete;
    StudioServer &operator=(const StudioServer &) = delete;

    // Binds `address` at `port` (0: a free port chosen by the system) and
    // returns the port. Throws std::runtime_error when it cannot.
    int bind(const std::string &address, int port);
    // Answers requests until stop(); false when the server failed.
    bool serve(const StudioApi &api);
    // From any thread: no new requests; serve() returns once the requests
    // being answered are done.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace plix::studio
