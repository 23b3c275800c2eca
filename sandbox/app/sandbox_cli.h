// The plix-sandbox command line: its commands, options and help.
#pragma once

namespace plix::sandbox {

// Parses the arguments and runs the command; returns the exit code.
int runSandbox(int argc, char **argv);

} // namespace plix::sandbox
