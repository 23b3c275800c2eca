#include "studio/access_guard.h"
#include "text/words.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <random>

namespace plix::studio {
namespace {

using text::lowered;

bool isLoopback(std::string_view address) {
    return address == "localhost" || address == "::1" || address.starts_with("127.");
}

bool isWildcard(std::string_view address) { return address == "0.0.0.0" || address == "::"; }

bool isNumericIpv4(std::string_view name) {
    int parts = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = name.find('.', start);
        const std::string_view part = name.substr(start, dot == std::string_view::npos ? name.npos : dot - start);
        int value = -1;
        const auto result = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || part.size() > 3 || result.ec != std::errc() || result.ptr != part.data() + part.size() ||
            value > 255)
            return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return parts == 4;
}

bool isNumericIpv6(std::string_view name) {
    return !name.empty() && name.find(':') != std::string_view::npos &&
           std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isxdigit(c) || c == ':' || c == '.'; });
}

// "name:port" or "[v6]:port" into name and port text.
bool splitHost(std::string_view host, std::string_view &name, std::string_view &port) {
    if (host.starts_with('[')) {
        const std::size_t close = host.find(']');
        if (close == std::string_view::npos || close + 1 >= host.size() || host[close + 1] != ':') return false;
        name = host.substr(1, close - 1);
        port = host.substr(close + 2);
        return true;
    }
    const std::size_t colon = host.rfind(':');
    if (colon == std::string_view::npos || host.find(':') != colon) return false;
    name = host.substr(0, colon);
    port = host.substr(colon + 1);
    return true;
}

} // namespace

std::string newAccessToken() {
    std::random_device source;
    static constexpr char digits[] = "0123456789abcdef";
    std::string token;
    for (int word = 0; word < 4; ++word) {
        std::uint32_t bits = source();
        for (int i = 0; i < 8; ++i, bits >>= 4) token.push_back(digits[bits & 0xF]);
    }
    return token;
}

AccessGuard::AccessGuard(std::string listenAddress, int port, std::string token)
    : address_(lowered(listenAddress)), port_(port), token_(std::move(token)) {}

bool AccessGuard::hostAllowed(std::string_view host) const {
    std::string_view name, port;
    if (!splitHost(host, name, port) || port != std::to_string(port_)) return false;
    const std::string hostName = lowered(name);
    if (hostName == address_) return true;
    if (isLoopback(address_) && hostName == "localhost") return true;
    return isWildcard(address_) && (isNumericIpv4(hostName) || isNumericIpv6(hostName));
}

bool AccessGuard::tokenMatches(std::string_view token) const {
    if (token.size() != token_.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < token.size(); ++i)
        difference |= static_cast<unsigned char>(token[i] ^ token_[i]);
    return difference == 0;
}

} // namespace plix::studio
