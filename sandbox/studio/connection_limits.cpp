#include "studio/connection_limits.h"

namespace plix::studio {

bool ConnectionLimits::admit(const std::string &client, std::string &refusal) {
    const std::lock_guard lock(mutex_);
    if (open_ >= inAll_) {
        refusal = "the studio holds as many connections as it takes (" + std::to_string(inAll_) + "); try again";
        return false;
    }
    std::size_t &mine = perAddress_[client];
    if (mine >= perClient_) {
        refusal = "too many connections from this address (" + std::to_string(perClient_) +
                  " at most); close some and try again";
        return false;
    }
    ++mine;
    ++open_;
    return true;
}

void ConnectionLimits::release(const std::string &client) {
    const std::lock_guard lock(mutex_);
    const auto found = perAddress_.find(client);
    if (found == perAddress_.end()) return;
    if (--found->second == 0) perAddress_.erase(found);
    --open_;
}

} // namespace plix::studio
