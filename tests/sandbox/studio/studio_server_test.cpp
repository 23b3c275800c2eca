// The studio's server binding its port.
#include <gtest/gtest.h>

#include <stdexcept>

#include "studio/studio_server.h"

namespace plix::studio {
namespace {

TEST(StudioServer, RefusesAPortAnotherStudioListensOn) {
    StudioServer first;
    const int port = first.bind("127.0.0.1", 0);
    ASSERT_GT(port, 0);
    StudioServer second;
    EXPECT_THROW(second.bind("127.0.0.1", port), std::runtime_error);
}

TEST(StudioServer, SaysWhyItCannotListen) {
    StudioServer server;
    try {
        server.bind("no-such-host.invalid", 8630);
        FAIL() << "bound an address that does not exist";
    } catch (const std::runtime_error &error) {
        EXPECT_NE(std::string(error.what()).find("no-such-host.invalid"), std::string::npos) << error.what();
    }
}

} // namespace
} // namespace plix::studio
