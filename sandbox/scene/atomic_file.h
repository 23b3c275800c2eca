// Output files that appear whole or not at all: the content goes to a
// temporary file beside the target, which then replaces the target by a
// rename. A failure leaves an existing target as it was.
#pragma once

#include <filesystem>
#include <string_view>

namespace plix::files {

// Throws std::runtime_error naming the target file when it cannot be written.
void writeFileAtomically(const std::filesystem::path &target, std::string_view content);

} // namespace plix::files
