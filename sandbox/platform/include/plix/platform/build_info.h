// What a report says about the program that wrote it.
#pragma once

namespace plix::platform {

// "plix-sandbox 1.0": the program and its version.
const char *programVersion();
// The system and processor it was built for, e.g. "linux-x86_64" or "windows-x86_64".
const char *platformName();

} // namespace plix::platform
