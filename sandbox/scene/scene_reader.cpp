#include "scene/scene_reader.h"
#include "text/number_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include "scene/effect_block_reading.h"
#include "scene/mesh_points.h"
#include "scene/printable_text.h"
#include "scene/scene_words.h"

namespace plix::scene {
namespace {

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

using Words = std::vector<std::string>;

std::string formatNumber(double value) { return text::shortestText(value); }

std::string tooLong() {
    return "line longer than " + std::to_string(maxSceneLineLength) + " bytes, the most a scene line may hold";
}

class Reader {
public:
    Reader(std::string displayName, std::filesystem::path baseFolder)
        : file_(std::move(displayName)), baseFolder_(std::move(baseFolder)) {}

    // The next line, without its line break.
    void line(std::string_view text) {
        ++lineNumber_;
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        // Editors on Windows start a UTF-8 file with a byte-order mark.
        if (lineNumber_ == 1 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        if (text.size() > maxSceneLineLength) fail(tooLong());
        readLine(text);
    }

    // A line that grew past the limit before its end was found.
    [[noreturn]] void lineTooLong() {
        ++lineNumber_;
        fail(tooLong());
    }

    Scene finish() {
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

        Words words;
        try {
            words = splitWords(line);
        } catch (const WordError &error) {
            fail(error.what());
        }
        if (words.empty()) return;
        const std::string keyword = words.front();
        const Words args(words.begin() + 1, words.end());

        if (keyword == "fps") return readFps(args);
        if (keyword == "frames") return readFrames(args);
        if (keyword == "object") return readObject(args);
        if (keyword == "points" || keyword == "mesh" || keyword == "motion" || keyword == "position" ||
            keyword == "rotation" || keyword == "effect") {
            if (object_ == nullptr) fail("'" + keyword + "' belongs to an object: write 'object NAME' before it");
            if (keyword == "points") return readPoints(args);
            if (keyword == "mesh") return readMesh(args);
            if (keyword == "motion") return readInterpolation(args);
            if (keyword == "position") return readKey(args, "position FRAME X Y Z", positionKeyLines_,
                                                      object_->motion.positionKeys);
            if (keyword == "rotation") return readKey(args, "rotation FRAME HEADING PITCH BANK",
                                                      rotationKeyLines_, object_->motion.rotationKeys);
            return readEffect(args);
        }
        fail("unknown keyword '" + printable(keyword) +
             "' (expected fps, frames, object, points, mesh, motion, position, rotation, effect or a '|' block line)");
    }

    void beforeObjects(const char *keyword) const {
        if (object_ != nullptr)
            fail(std::string("'") + keyword + "' belongs to the whole scene: write it before the first object");
    }

    void readFps(const Words &args) {
        beforeObjects("fps");
        const std::optional<double> rate = args.size() == 1 ? parseNumber(args[0]) : std::nullopt;
        // Below the least rate, the times of far frames would leave the
        // range of numbers and every spark would be out of reach.
        if (!rate || *rate < minSceneFps)
            fail("expected 'fps RATE' with a rate above 0, such as 'fps 30' (the least is " + formatNumber(minSceneFps) +
                 ")");
        scene_.fps = *rate;
        scene_.fpsLine = lineNumber_;
    }

    void readFrames(const Words &args) {
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
        scene_.framesLine = lineNumber_;
    }

    void readObject(const Words &args) {
        if (args.size() != 1) fail("expected 'object NAME' with a name of one word");
        finishObject();
        const std::string name(args[0]);
        // A name becomes folder and file names of the cache: never nothing, "." or "..".
        if (name.empty() || name == "." || name == "..")
            fail("expected 'object NAME' with a name of letters, digits, '_', '-' and '.', not '" + name + "'");
        if (!isPlainName(name))
            fail("object name '" + printable(name) + "' may hold only letters, digits, '_', '-' and '.'");
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

    void readPoints(const Words &args) {
        const std::optional<int> count = args.size() == 1 ? parseWhole(args[0], 0, intMax) : std::nullopt;
        if (!count) fail("expected 'points COUNT' with a whole number from 0 to " + std::to_string(intMax));
        claimPoints();
        object_->pointCount = *count;
    }

    void readMesh(const Words &args) {
        if (args.size() != 1)
            fail("expected 'mesh FILE' with one OBJ file path (in double quotes when it holds spaces: "
                 "mesh \"my meshes/ring.obj\")");
        claimPoints();
        const std::string text(args[0]);
        std::filesystem::path path(text);
        if (path.is_relative()) path = baseFolder_ / path;
        try {
            object_->pointCount = countMeshPoints(path);
        } catch (const std::exception &e) {
            fail("cannot take the points of mesh '" + printable(text) + "' (" + printable(path.string()) + "): " + e.what());
        }
        object_->meshText = text;
        object_->meshPath = path;
    }

    void readInterpolation(const Words &args) {
        if (args.size() == 1 && args[0] == "linear")
            object_->motion.interpolation = Interpolation::linear;
        else if (args.size() == 1 && args[0] == "smooth")
            object_->motion.interpolation = Interpolation::smooth;
        else
            fail("expected 'motion linear' or 'motion smooth'");
    }

    void readKey(const Words &args, const char *form, std::map<double, int> &keyLines,
                 std::vector<Key> &keys) {
        std::optional<double> values[4];
        bool ok = args.size() == 4;
        for (std::size_t i = 0; ok && i < 4; ++i) ok = (values[i] = parseNumber(args[i])).has_value();
        if (!ok) fail(std::string("expected '") + form + "' with four numbers");
        const double frame = *values[0];
        if (const auto seen = keyLines.find(frame); seen != keyLines.end())
            fail("a second key at frame " + printable(args[0]) + " (the first is on line " +
                 std::to_string(seen->second) + ")");
        keyLines[frame] = lineNumber_;
        const Key key{frame, {*values[1], *values[2], *values[3]}};
        keys.insert(std::upper_bound(keys.begin(), keys.end(), key,
                                     [](const Key &a, const Key &b) { return a.frame < b.frame; }),
                    key);
    }

    void readEffect(const Words &args) {
        if (!args.empty()) fail("expected 'effect' alone, with its block lines after it, each starting with '|'");
        finishEffect();
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
        effect_->lineNumbers.push_back(lineNumber_);
    }

    // A value the effect would take as infinite sends its sparks out of
    // reach: refused here, where the line is known.
    void finishEffect() {
        if (effect_ == nullptr) return;
        const BlockReading reading = readEffectBlock(effect_->lines);
        for (std::size_t i = 0; i < reading.lines.size(); ++i) {
            const BlockLineReading &line = reading.lines[i];
            if (line.kind != BlockLineReading::Kind::Setting || !line.valueFrom || !std::isinf(line.value) ||
                isWholeNumberSetting(*line.name))
                continue;
            const std::string setting = nameOf(*line.name);
            const int at = effect_->lineNumbers[i];
            if (*line.valueFrom == i)
                fail(at, "the effect would read " + setting + " as infinite (" + printable(line.number.number) +
                             " is beyond the largest number it holds); give a finite value");
            fail(at, "'" + printable(effect_->lines[i]) + "' has no value of its own: the effect would give " + setting +
                         " the infinite value of line " + std::to_string(effect_->lineNumbers[*line.valueFrom]) +
                         "; give a finite value");
        }
        effect_ = nullptr;
    }

    void finishObject() {
        finishEffect();
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
    Reader reader(printable(displayName), baseFolder);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        reader.line(text.substr(start, end - start));
        if (end == text.size()) break;
        start = end + 1;
    }
    return reader.finish();
}

Scene readSceneFile(const std::filesystem::path &file) {
    const std::string name = printable(file.string());
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        throw SceneError(name, 0, "cannot open the scene file: it does not exist");
    if (std::filesystem::is_directory(status)) throw SceneError(name, 0, "is a folder, not a scene file");
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw SceneError(name, 0, "cannot open the scene file: " +
                                      std::generic_category().message(errno != 0 ? errno : EACCES));
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    Reader reader(name, folder);

    // Read in pieces, a line at a time: memory stays bounded by the longest
    // line allowed, whatever the file (a device that never ends included).
    std::string line;
    char piece[1 << 16];
    while (in) {
        in.read(piece, sizeof piece);
        const std::string_view got(piece, static_cast<std::size_t>(in.gcount()));
        std::size_t start = 0;
        while (start < got.size()) {
            const std::size_t end = got.find('\n', start);
            const std::string_view part = got.substr(start, (end == std::string_view::npos ? got.size() : end) - start);
            // One more byte than the limit may be a '\r' before the line break.
            if (line.size() + part.size() > maxSceneLineLength + 1) reader.lineTooLong();
            line.append(part);
            if (end == std::string_view::npos) break;
            reader.line(line);
            line.clear();
            start = end + 1;
        }
    }
    if (in.bad()) throw SceneError(name, 0, "cannot read the scene file: " + std::generic_category().message(EIO));
    reader.line(line);
    return reader.finish();
}

} // namespace plix::scene
