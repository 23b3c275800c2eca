// `plix-sandbox validate [MODULE]`: checks a module file the way the host uses
// it, each check in a child process of its own; and the hidden command with
// which the program runs one check in such a child.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace plix::sandbox {

struct ValidateOptions {
    std::string module;           // empty: plix6.p beside the program
    std::string seed;             // as typed: read strictly
    bool seedGiven = false;       // without: a new one, printed
    std::string timeout = "60";   // seconds, as typed: read strictly
    std::vector<std::string> only;
    std::vector<std::string> exclude;
    std::string json;             // empty: no report file
    bool list = false;
};

// Returns the exit code: 0 every check passed, 1 one did not or the module
// file could not be checked, 2 a wrong command line (the message on `err`).
// A stop request (Ctrl-C, SIGTERM) ends the process by that signal once the
// running check and its processes are stopped.
int runValidate(ValidateOptions options, std::ostream &out, std::ostream &err);

struct CheckChildOptions {
    std::string check;
    std::string module;
    std::uint64_t seed = 0;
    std::string result; // the file the parent reads the verdict from
};

// The child's side: runs one check and returns its exit code.
int runCheckChild(const CheckChildOptions &options);

} // namespace plix::sandbox
