#include "scene/scene_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "scene/mesh_points.h"

namespace plix::scene {
namespace {

std::vector<std::string_view> splitWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::optional<double> parseNumber(std::string_view text) {
    double value = 0.0;
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<int> parseWhole(std::string_view text, long long lowest, long long highest) {
    long long value = 0;
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || value < lowest || value > highest) return std::nullopt;
    return static_cast<int>(value);
}

bool isPlainName(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == '.';
    });
}

constexpr long long intMin = std::numeric_limits<int>::min();
constexpr long long intMax = std::numeric_limits<int>::max();

class Reader {
public:
    Reader(std::string displayName, std::filesystem::path baseFolder)
        : file_(std::move(displayName)), baseFolder_(std::move(baseFolder)) {}

    Scene read(std::string_view text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++lineNumber_;
            readLine(line);
            if (end == text.size()) break;
            start = end + 1;
        }
        finishObject();
        if (scene_.objects.empty())
            fail(0, "the scene has no object: add 'object NAME' with 'points COUNT' or 'mesh FILE'");
        return std::move(scene_);
    }

private:
    [[noreturn]] void fail(int line, const std::string &message) const { throw SceneError(file_, line, message); }
    [[noreturn]] void fail(const std::string &message) const { fail(lineNumber_, message); }

    void readLine(std::string_view line) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) return;
        if (line[first] == '|') return readBlockLine(line.substr(first + 1));

        const std::size_t comment = line.find('#');
        const std::vector<std::string_view> words = splitWords(line.substr(0, comment));
        if (words.empty()) return;
        const std::string_view keyword = words.front();
        const std::vector<std::string_view> args(words.begin() + 1, words.end());

        if (keyword == "fps") return readFps(args);
        if (keyword == "frames") return readFrames(args);
        if (keyword == "object") return readObject(args);
        if (keyword == "points" || keyword == "mesh" || keyword == "motion" || keyword == "position" ||
            keyword == "rotation" || keyword == "effect") {
            if (object_ == nullptr)
                fail("'" + std::string(keyword) + "' belongs to an object: write 'object NAME' before it");
            if (keyword == "points") return readPoints(args);
            if (keyword == "mesh") return readMesh(args);
            if (keyword == "motion") return readInterpolation(args);
            if (keyword == "position") return readKey(args, "position FRAME X Y Z", positionKeyLines_,
                                                      object_->motion.positionKeys);
            if (keyword == "rotation") return readKey(args, "rotation FRAME HEADING PITCH BANK",
                                                      rotationKeyLines_, object_->motion.rotationKeys);
            return readEffect(args);
        }
        fail("unknown keyword '" + std::string(keyword) +
             "' (expected fps, frames, object, points, mesh, motion, position, rotation, effect or a '|' block line)");
    }

    void beforeObjects(const char *keyword) const {
        if (object_ != nullptr)
            fail(std::string("'") + keyword + "' belongs to the whole scene: write it before the first object");
    }

    void readFps(const std::vector<std::string_view> &args) {
        beforeObjects("fps");
        const std::optional<double> rate = args.size() == 1 ? parseNumber(args[0]) : std::nullopt;
        if (!rate || *rate <= 0.0) fail("expected 'fps RATE' with a rate above 0, such as 'fps 30'");
        scene_.fps = *rate;
    }

    void readFrames(const std::vector<std::string_view> &args) {
        beforeObjects("frames");
        std::optional<int> first, last;
        if (args.size() == 2) {
            first = parseWhole(args[0], intMin, intMax);
            last = parseWhole(args[1], intMin, intMax);
        }
        if (!first || !last) fail("expected 'frames FIRST LAST' with whole frame numbers, such as 'frames 0 89'");
        if (*first > *last)
            fail("the first frame (" + std::to_string(*first) + ") is after the last (" + std::to_string(*last) + ")");
        scene_.firstFrame = *first;
        scene_.lastFrame = *last;
    }

    void readObject(const std::vector<std::string_view> &args) {
        if (args.size() != 1) fail("expected 'object NAME' with a name of one word");
        finishObject();
        const std::string name(args[0]);
        if (!isPlainName(name))
            fail("object name '" + name + "' may hold only letters, digits, '_', '-' and '.'");
        if (const auto seen = objectLines_.find(name); seen != objectLines_.end())
            fail("object '" + name + "' is already defined on line " + std::to_string(seen->second));
        objectLines_[name] = lineNumber_;
        scene_.objects.emplace_back();
        object_ = &scene_.objects.back();
        object_->name = name;
        object_->sourceLine = lineNumber_;
        effect_ = nullptr;
        pointsLine_ = 0;
        positionKeyLines_.clear();
        rotationKeyLines_.clear();
    }

    void claimPoints() {
        if (pointsLine_ != 0)
            fail("object '" + object_->name + "' already has its points from line " + std::to_string(pointsLine_));
        pointsLine_ = lineNumber_;
    }

    void readPoints(const std::vector<std::string_view> &args) {
        const std::optional<int> count = args.size() == 1 ? parseWhole(args[0], 0, intMax) : std::nullopt;
        if (!count) fail("expected 'points COUNT' with a whole number from 0 to " + std::to_string(intMax));
        claimPoints();
        object_->pointCount = *count;
    }

    void readMesh(const std::vector<std::string_view> &args) {
        if (args.size() != 1) fail("expected 'mesh FILE' with an OBJ file path without spaces");
        claimPoints();
        const std::string text(args[0]);
        std::filesystem::path path(text);
        if (path.is_relative()) path = baseFolder_ / path;
        try {
            object_->pointCount = countMeshPoints(path);
        } catch (const std::exception &e) {
            fail("cannot take the points of mesh '" + text + "' (" + path.string() + "): " + e.what());
        }
        object_->meshText = text;
        object_->meshPath = path;
    }

    void readInterpolation(const std::vector<std::string_view> &args) {
        if (args.size() == 1 && args[0] == "linear")
            object_->motion.interpolation = Interpolation::linear;
        else if (args.size() == 1 && args[0] == "smooth")
            object_->motion.interpolation = Interpolation::smooth;
        else
            fail("expected 'motion linear' or 'motion smooth'");
    }

    void readKey(const std::vector<std::string_view> &args, const char *form, std::map<double, int> &keyLines,
                 std::vector<Key> &keys) {
        std::optional<double> values[4];
        bool ok = args.size() == 4;
        for (std::size_t i = 0; ok && i < 4; ++i) ok = (values[i] = parseNumber(args[i])).has_value();
        if (!ok) fail(std::string("expected '") + form + "' with four numbers");
        const double frame = *values[0];
        if (const auto seen = keyLines.find(frame); seen != keyLines.end())
            fail("a second key at frame " + std::string(args[0]) + " (the first is on line " +
                 std::to_string(seen->second) + ")");
        keyLines[frame] = lineNumber_;
        const Key key{frame, {*values[1], *values[2], *values[3]}};
        keys.insert(std::upper_bound(keys.begin(), keys.end(), key,
                                     [](const Key &a, const Key &b) { return a.frame < b.frame; }),
                    key);
    }

    void readEffect(const std::vector<std::string_view> &args) {
        if (!args.empty()) fail("expected 'effect' alone, with its block lines after it, each starting with '|'");
        object_->effects.emplace_back();
        effect_ = &object_->effects.back();
        effect_->sourceLine = lineNumber_;
    }

    void readBlockLine(std::string_view rest) {
        if (effect_ == nullptr)
            fail("a '|' block line outside an effect: write 'effect' on a line of its own before the block");
        if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        if (rest.size() > maxBlockLineLength)
            fail("block line of " + std::to_string(rest.size()) + " characters; the effect reads at most " +
                 std::to_string(maxBlockLineLength));
        if (rest.find('\0') != std::string_view::npos) fail("block line holds a zero byte");
        effect_->lines.emplace_back(rest);
    }

    void finishObject() {
        if (object_ != nullptr && pointsLine_ == 0)
            fail(object_->sourceLine, "object '" + object_->name + "' needs 'points COUNT' or 'mesh FILE'");
    }

    std::string file_;
    std::filesystem::path baseFolder_;
    Scene scene_;
    int lineNumber_ = 0;
    SceneObject *object_ = nullptr;
    EffectBlock *effect_ = nullptr;
    int pointsLine_ = 0;
    std::map<std::string, int> objectLines_;
    std::map<double, int> positionKeyLines_;
    std::map<double, int> rotationKeyLines_;
};

} // namespace

Scene readSceneText(std::string_view text, const std::string &displayName, const std::filesystem::path &baseFolder) {
    return Reader(displayName, baseFolder).read(text);
}

Scene readSceneFile(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw SceneError(file.string(), 0, "cannot open the scene file");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw SceneError(file.string(), 0, "cannot read the scene file");
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    return readSceneText(text.str(), file.string(), folder);
}

} // namespace plix::scene
