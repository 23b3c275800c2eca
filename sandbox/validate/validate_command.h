// `plix-sandbox validate [MODULE]`: checks a module file the way the host uses
// it, each check in a child process of its own. Also adds the hidden command
// with which the program runs one check in such a child.
#pragma once

#include <CLI/CLI.hpp>

void addValidateCommand(CLI::App &app);
