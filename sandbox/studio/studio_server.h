// The studio's HTTP server (cpp-httplib): binds an address, then hands every
// request to the StudioApi on the server's own threads until stopped.
#pragma once

#include <memory>
#include <string>

#include "studio/studio_api.h"

namespace plix::studio {

class StudioServer {
public:
    StudioServer();
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
