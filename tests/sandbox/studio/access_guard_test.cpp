// Which Host headers and tokens the studio accepts.
#include <gtest/gtest.h>

#include <set>

#include "studio/access_guard.h"

namespace plix::studio {
namespace {

struct HostCase {
    const char *listen;
    const char *host;
    bool allowed;
};

class HostHeader : public ::testing::TestWithParam<HostCase> {};

TEST_P(HostHeader, IsAcceptedOnlyWhenItNamesTheListenAddress) {
    const HostCase &c = GetParam();
    EXPECT_EQ(AccessGuard(c.listen, 8630, "t").hostAllowed(c.host), c.allowed) << c.listen << " / " << c.host;
}

INSTANTIATE_TEST_SUITE_P(Cases, HostHeader, ::testing::Values(
    HostCase{"127.0.0.1", "127.0.0.1:8630", true},
    HostCase{"127.0.0.1", "localhost:8630", true},
    HostCase{"127.0.0.1", "LOCALHOST:8630", true},
    HostCase{"127.0.0.1", "127.0.0.1:8631", false},     // another port
    HostCase{"127.0.0.1", "127.0.0.1", false},          // no port
    HostCase{"127.0.0.1", "", false},                   // no Host header at all
    HostCase{"127.0.0.1", "evil.example:8630", false},  // a name rebound to this machine
    HostCase{"127.0.0.1", "127.0.0.2:8630", false},
    HostCase{"127.0.0.1", "127.0.0.1:8630:8630", false},
    HostCase{"127.0.0.1", "127.0.0.1:08630", false},
    HostCase{"::1", "[::1]:8630", true},
    HostCase{"::1", "localhost:8630", true},
    HostCase{"::1", "::1:8630", false},                 // IPv6 without brackets
    HostCase{"::1", "[::1:8630", false},
    HostCase{"192.168.1.5", "192.168.1.5:8630", true},
    HostCase{"192.168.1.5", "localhost:8630", false},   // not a loopback listen address
    HostCase{"0.0.0.0", "192.168.1.5:8630", true},      // every address: any numeric one
    HostCase{"0.0.0.0", "127.0.0.1:8630", true},
    HostCase{"0.0.0.0", "evil.example:8630", false},
    HostCase{"0.0.0.0", "256.1.1.1:8630", false},
    HostCase{"0.0.0.0", "1.2.3:8630", false},
    HostCase{"::", "[fe80::1]:8630", true},
    HostCase{"::", "[evil.example]:8630", false}));

TEST(AccessToken, MatchesOnlyItselfWhole) {
    const AccessGuard guard("127.0.0.1", 1, "0123456789abcdef0123456789abcdef");
    EXPECT_TRUE(guard.tokenMatches("0123456789abcdef0123456789abcdef"));
    EXPECT_FALSE(guard.tokenMatches(""));
    EXPECT_FALSE(guard.tokenMatches("0123456789abcdef0123456789abcde"));
    EXPECT_FALSE(guard.tokenMatches("0123456789abcdef0123456789abcdeF"));
    EXPECT_FALSE(guard.tokenMatches("0123456789abcdef0123456789abcdef0"));
}

TEST(AccessToken, IsNewEachTimeAnd128BitsOfHex) {
    std::set<std::string> tokens;
    for (int i = 0; i < 50; ++i) {
        const std::string token = newAccessToken();
        ASSERT_EQ(token.size(), 32u);
        EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos) << token;
        tokens.insert(token);
    }
    EXPECT_EQ(tokens.size(), 50u);
}

} // namespace
} // namespace plix::studio
