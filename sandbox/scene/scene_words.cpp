#include "scene/scene_words.h"

namespace plix::scene {
namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::vector<std::string> splitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && isSeparator(line[i])) ++i;
        if (i == line.size() || line[i] == '#') return words;
        std::string word;
        if (line[i] != '"') {
            while (i < line.size() && !isSeparator(line[i]) && line[i] != '#') word.push_back(line[i++]);
            words.push_back(std::move(word));
            continue;
        }
        ++i;
        while (true) {
            if (i == line.size()) throw WordError("a quoted word without its closing '\"'");
            const char c = line[i++];
            if (c == '"') break;
            if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
                word.push_back(line[i++]);
                continue;
            }
            word.push_back(c);
        }
        if (i < line.size() && !isSeparator(line[i]) && line[i] != '#')
            throw WordError("a space is needed after the closing '\"' of a quoted word");
        words.push_back(std::move(word));
    }
}

std::string sceneWord(std::string_view text) {
    if (text.find_first_of("\n\r") != std::string_view::npos)
        throw WordError("a scene word cannot hold a line break");
    if (!text.empty() && text.find_first_of(" \t#\"") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

} // namespace plix::scene
