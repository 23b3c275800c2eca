// The front page and the reference pages link to each other and to their
// pictures: every relative link names a file that exists, and every
// "#anchor" a heading of that file, so moving or renaming a page cannot
// leave a dead link.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path sourceDir = PLIX_SOURCE_DIR;

std::vector<fs::path> pages() {
    std::vector<fs::path> out{sourceDir / "README.md", sourceDir / "CHANGELOG.md"};
    for (const fs::directory_entry &entry : fs::directory_iterator(sourceDir / "docs"))
        if (entry.path().extension() == ".md") out.push_back(entry.path());
    return out;
}

std::string textOf(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Headings as anchors, the way the usual Markdown renderers make them:
// lower case, spaces as hyphens, other punctuation dropped.
std::set<std::string> anchorsOf(const fs::path &file) {
    std::set<std::string> anchors;
    std::istringstream lines(textOf(file));
    bool inCode = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("```", 0) == 0) inCode = !inCode;
        if (inCode || line.empty() || line[0] != '#') continue;
        const std::size_t start = line.find_first_not_of('#');
        std::string anchor;
        for (char c : line.substr(start == std::string::npos ? line.size() : start + 1)) {
            const auto u = static_cast<unsigned char>(c);
            if (std::isalnum(u) || c == '-' || c == '_') anchor += static_cast<char>(std::tolower(u));
            else if (c == ' ') anchor += '-';
            else if (u >= 0x80) anchor += c;
        }
        anchors.insert(anchor);
    }
    return anchors;
}

TEST(Docs, EveryRelativeLinkNamesAFileAndAHeadingThatExist) {
    const std::regex link(R"(\]\(([^)\s]+)\))");
    int links = 0;
    for (const fs::path &page : pages()) {
        const std::string text = textOf(page);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), link); it != std::sregex_iterator(); ++it) {
            const std::string target = (*it)[1];
            if (target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0) continue;
            ++links;
            const std::size_t hash = target.find('#');
            const std::string file = target.substr(0, hash);
            const fs::path resolved = file.empty() ? page : page.parent_path() / file;
            EXPECT_TRUE(fs::exists(resolved)) << page.filename() << " links to " << target << ", which is not there";
            if (hash != std::string::npos && fs::exists(resolved)) {
                EXPECT_TRUE(anchorsOf(resolved).contains(target.substr(hash + 1)))
                    << page.filename() << " links to " << target << ": no such heading";
            }
        }
    }
    EXPECT_GT(links, 10) << "the pages link to each other and to their pictures";
}

} // namespace
