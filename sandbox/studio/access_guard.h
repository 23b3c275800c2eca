// Who may talk to the studio: requests must name the address the server
// listens on in their Host header (a page of another site that had its name
// resolve to this machine does not), and API calls must carry the token that
// the studio printed with its URL.
#pragma once

#include <string>
#include <string_view>

namespace plix::studio {

// 32 hexadecimal digits from the system's random source.
std::string newAccessToken();

class AccessGuard {
public:
    // `listenAddress` as given to the server ("127.0.0.1", "::1",
    // "0.0.0.0", a host name); `port` the port it listens on.
    AccessGuard(std::string listenAddress, int port, std::string token);

    // Accepted Host headers: the listen address with the port (an IPv6
    // address in brackets); "localhost:PORT" too when that address is a
    // loopback address; and, when the server listens on every address
    // ("0.0.0.0", "::"), any numeric address with the port (a rebound name
    // is never numeric).
    bool hostAllowed(std::string_view host) const;
    // Compares in time that does not depend on where the texts differ.
    bool tokenMatches(std::string_view token) const;

    const std::string &token() const { return token_; }

private:
    std::string address_;
    int port_;
    std::string token_;
};

} // namespace plix::studio
