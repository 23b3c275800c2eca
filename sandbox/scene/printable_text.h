// Text from files and command lines, made safe to print on a terminal:
// control bytes and bytes that are not UTF-8 shown as \xNN.
#pragma once

#include <string>
#include <string_view>

namespace plix::scene {

// Printable ASCII and valid UTF-8 characters (outside the C1 controls) are
// kept; every other byte becomes \xNN.
std::string printable(std::string_view text);

} // namespace plix::scene
