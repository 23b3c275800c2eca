#include "text/number_text.h"

#include <charconv>

namespace plix::text {

namespace {

template <class Number>
void append(std::string &out, Number value) {
    char buffer[32]; // the longest shortest form of a double is 24 characters
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

} // namespace

void appendShortestText(std::string &out, double value) { append(out, value); }
void appendShortestText(std::string &out, float value) { append(out, value); }

std::string shortestText(double value) {
    std::string out;
    append(out, value);
    return out;
}

std::string shortestText(float value) {
    std::string out;
    append(out, value);
    return out;
}

} // namespace plix::text
