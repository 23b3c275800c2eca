// Whether an output stream of this process is shown on a terminal (so that
// progress drawn in place makes sense) or goes to a file or pipe.
#pragma once

namespace plix::platform {

bool standardErrorIsTerminal();

} // namespace plix::platform
