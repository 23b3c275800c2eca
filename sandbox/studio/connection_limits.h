// How many connections the studio holds open at once: in all, and from any
// one client address, so that a few clients that open connections and send
// nothing (or a byte now and then) cannot take every connection there is.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <string>

namespace plix::studio {

class ConnectionLimits {
public:
    ConnectionLimits(std::size_t inAll, std::size_t perClient) : inAll_(inAll), perClient_(perClient) {}

    // A place for one more connection from `client`, or the reason there is
    // none ("too many connections from this address").
    bool admit(const std::string &client, std::string &refusal);
    void release(const std::string &client);

private:
    std::mutex mutex_;
    std::size_t inAll_, perClient_;
    std::size_t open_ = 0;
    std::map<std::string, std::size_t> perAddress_;
};

// One admitted connection, released when it ends.
class ConnectionSlot {
public:
    ConnectionSlot(ConnectionLimits &limits, std::string client) : limits_(limits), client_(std::move(client)) {
        admitted_ = limits_.admit(client_, refusal_);
    }
    ~ConnectionSlot() {
        if (admitted_) limits_.release(client_);
    }
    ConnectionSlot(const ConnectionSlot &) = delete;
    ConnectionSlot &operator=(const ConnectionSlot &) = delete;

    bool admitted() const { return admitted_; }
    const std::string &refusal() const { return refusal_; }

private:
    ConnectionLimits &limits_;
    std::string client_;
    bool admitted_ = false;
    std::string refusal_;
};

} // namespace plix::studio
