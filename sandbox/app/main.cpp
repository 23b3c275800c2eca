// plix-sandbox: plays scenes with the spark effect module as the host would.
#include "app/sandbox_cli.h"

int main(int argc, char **argv) { return plix::sandbox::runSandbox(argc, argv); }
