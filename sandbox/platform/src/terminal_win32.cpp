#include "plix/platform/terminal.h"

#include <cstdio>
#include <io.h>

namespace plix::platform {

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

} // namespace plix::platform
