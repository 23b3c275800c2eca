#include "plix/platform/terminal.h"

#include <unistd.h>

namespace plix::platform {

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

} // namespace plix::platform
