// The words of a scene statement line. Words are separated by spaces and
// tabs, and '#' outside a quoted word starts a comment. A word that starts
// with '"' runs to the next '"' that is not escaped and may hold spaces, tabs
// and '#'; inside it \" stands for '"' and \\ for '\', and any other
// character, a lone backslash too, for itself. After the closing quote comes
// a space, a tab, a comment or the end of the line.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plix::scene {

class WordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws WordError for a quoted word without its closing quote or with
// something right after it.
std::vector<std::string> splitWords(std::string_view line);

// `text` as one word that splitWords reads back unchanged: quoted when it is
// empty or holds a space, tab, '#' or '"'. Throws WordError for a line break,
// which no word can hold.
std::string sceneWord(std::string_view text);

} // namespace plix::scene
