// plix-sandbox: plays scenes with the spark effect module as the host would.
#include "app/sandbox_cli.h"

#include <csignal>

int main(int argc, char **argv) {
#ifdef SIGXFSZ
    // Past a file size limit (ulimit -f) a write then fails as on a full
    // disk, and the command says so and cleans up, instead of being killed.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return plix::sandbox::runSandbox(argc, argv);
}
