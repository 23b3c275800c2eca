#include "plix/platform/build_info.h"

namespace plix::platform {

const char *programVersion() { return "plix-sandbox " PLIX_VERSION; }

const char *platformName() {
#if defined(_WIN32)
#define PLIX_SYSTEM "windows"
#elif defined(__APPLE__)
#define PLIX_SYSTEM "macos"
#elif defined(__linux__)
#define PLIX_SYSTEM "linux"
#else
#define PLIX_SYSTEM "unknown"
#endif
#if defined(__x86_64__) || defined(_M_X64)
#define PLIX_CPU "x86_64"
#elif defined(__aarch64__) || defined(_M_ARM64)
#define PLIX_CPU "aarch64"
#else
#define PLIX_CPU "unknown"
#endif
    return PLIX_SYSTEM "-" PLIX_CPU;
}

} // namespace plix::platform
