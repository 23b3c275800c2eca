// The shortest text that reads back as the same double ("0.1", "1e+300"):
// the form the particle cache, the scene writer, the studio's JSON and the
// messages share, so a value looks the same wherever it is shown.
#pragma once

#include <string>

namespace plix::text {

std::string shortestText(double value);
std::string shortestText(float value);
// The same, appended to `out` (for writers that fill one buffer).
void appendShortestText(std::string &out, double value);
void appendShortestText(std::string &out, float value);

} // namespace plix::text
