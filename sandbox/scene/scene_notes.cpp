#include "scene/scene_notes.h"
#include "text/words.h"
#include "text/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "scene/effect_block_reading.h"
#include "scene/printable_text.h"

namespace plix::scene {
namespace {

using text::lowered;
using text::plural;

using Kind = BlockLineReading::Kind;

std::string inQuotes(std::string_view text) { return "'" + printable(text) + "'"; }

std::string number(double value) { return text::shortestText(value); }

std::string fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

// Four significant digits: 12.5, 42.86.
std::string rounded(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4g", value);
    return buffer;
}

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n\v\f");
    return std::string(text.substr(first, last - first + 1));
}

std::string allNames() {
    std::string names;
    for (std::size_t i = 1; i < blockNames.size(); ++i) names += std::string(i > 1 ? ", " : "") + blockNames[i];
    return names;
}

// The setting a mistyped keyword was meant for: the same name in another
// case, or the name before a tab, '=' or ':'.
std::optional<std::string> meantName(std::string_view keyword) {
    const std::size_t cut = keyword.find_first_of("\t=:");
    const std::string_view stem = cut == std::string_view::npos ? keyword : keyword.substr(0, cut);
    if (stem.empty()) return std::nullopt;
    for (std::size_t i = 1; i < blockNames.size(); ++i) {
        const std::string name = blockNames[i];
        if (name == stem || lowered(name) == lowered(stem)) return name;
    }
    return std::nullopt;
}

std::string ignoredLineText(std::string_view line, std::string_view keyword) {
    const std::string start = "the effect ignores " + inQuotes(line) + ": ";
    if (keyword == PLIX_SCENE_START) return start + "the block is already open (a second " PLIX_SCENE_START ")";
    const std::optional<std::string> meant = meantName(keyword);
    if (meant && keyword.find('\t') != std::string_view::npos)
        return start + "a tab does not separate a keyword from its value; write '" + *meant + " VALUE' with a space";
    if (meant && keyword.find_first_of("=:") != std::string_view::npos)
        return start + "write '" + *meant + " VALUE': the name, a space and the value";
    if (meant) return start + "no setting is named " + inQuotes(keyword) + " (names are case-sensitive: " + *meant + ")";
    return start + "no setting is named " + inQuotes(keyword) + " (the settings: " + allNames() + ")";
}

// What the line's own value becomes, for a setting; empty when it is read as
// it is written.
std::vector<std::string> valueRemarks(const BlockLineReading &line, BlockName name) {
    std::vector<std::string> remarks;
    const std::string setting = nameOf(name);
    const BlockNumber &n = line.number;
    double value = n.value;
    if (!n.isNumber) {
        const std::string text = trimmed(n.rest);
        const std::string low = lowered(text.substr(0, 3));
        remarks.push_back("the effect reads the value " + inQuotes(text) + " as 0: it does not begin with a number" +
                          (low == "inf" || low == "nan" ? " (the effect has no word for infinity or not-a-number)" : "") +
                          ", so " + setting + " becomes 0");
    } else if (!trimmed(n.rest).empty()) {
        const std::string rest = trimmed(n.rest);
        remarks.push_back("the effect reads " + inQuotes(std::string(n.number) + std::string(n.rest)) + " as " +
                          number(value) + ": the number ends before " + inQuotes(rest.substr(0, 1)));
    }
    if (isWholeNumberSetting(name) && n.isNumber) {
        const int whole = wholeNumberOf(value);
        if (value >= 2147483648.0 || value < -2147483648.0)
            remarks.push_back(setting + " holds whole numbers from -2147483648 to 2147483647: the effect reads " +
                              printable(n.number) + " as " + std::to_string(whole));
        else if (static_cast<double>(whole) != value)
            remarks.push_back(setting + " takes whole numbers: the effect reads " + printable(n.number) + " as " +
                              std::to_string(whole));
    }
    if (name == BlockName::ReCycle && n.isNumber) {
        const int whole = wholeNumberOf(value);
        if (whole != 0 && whole != 1)
            remarks.push_back("only ReCycle 1 turns recycling on: ReCycle " + std::to_string(whole) +
                              " leaves it off, so every spark flies once");
    }
    if (!isWholeNumberSetting(name) && std::isinf(value))
        remarks.push_back(setting + " becomes infinite");
    return remarks;
}

std::string joined(const std::vector<std::string> &parts) {
    std::string text;
    for (const std::string &part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}

// "this line is not read", "this line and the 3 lines after it are not read"
std::string notRead(long long after) {
    return after == 0 ? "this line is not read" : "this line and the " + plural(after, "line") + " after it are not read";
}

class Notes {
public:
    Notes(const Scene &scene, std::string file) : scene_(scene), file_(std::move(file)) {}

    std::vector<SceneNote> build() {
        for (const SceneObject &object : scene_.objects)
            for (const EffectBlock &effect : object.effects) blockNotes(object, effect);
        rateNote();
        return std::move(notes_);
    }

private:
    void add(int line, std::string text) { notes_.push_back({file_, line, std::move(text)}); }

    static int lineOf(const EffectBlock &effect, std::size_t index) {
        return index < effect.lineNumbers.size() ? effect.lineNumbers[index] : effect.sourceLine;
    }

    void blockNotes(const SceneObject &object, const EffectBlock &effect) {
        const BlockReading reading = readEffectBlock(effect.lines);
        const std::size_t count = effect.lines.size();
        for (std::size_t i = 0; i < count; ++i) {
            const BlockLineReading &line = reading.lines[i];
            const std::string_view text = effect.lines[i];
            const int at = lineOf(effect, i);
            switch (line.kind) {
            case Kind::NotOpening:
                add(at, "the effect reads nothing of this block: its first line " + inQuotes(text) +
                            " is not " PLIX_SCENE_START ", so the effect keeps its default settings" +
                            (count > 1 ? " and the " + plural(static_cast<long long>(count - 1), "line") +
                                             " after it are not read"
                                       : ""));
                return;
            case Kind::Opening:
                if (line.keyword.empty())
                    add(at, "the effect takes this empty line (or one that begins with a space) as " PLIX_SCENE_START);
                else if (line.keyword != PLIX_SCENE_START)
                    add(at, "the effect takes " + inQuotes(line.keyword) + " as " PLIX_SCENE_START);
                break;
            case Kind::End:
                if (line.keyword.empty() && i + 1 < count)
                    add(at, "an empty line, or one that begins with a space, ends the block for the effect: the " +
                                plural(static_cast<long long>(count - i - 1), "line") + " after it are not read");
                else if (!line.keyword.empty() && line.keyword != PLIX_SCENE_END)
                    add(at, "the effect takes " + inQuotes(line.keyword) + " as " PLIX_SCENE_END " and ends the block here");
                break;
            case Kind::Setting: settingNote(line, text, at, reading); break;
            case Kind::Reference: break;
            case Kind::ReferenceName:
                if (!line.keyword.empty() || text.find(' ') != std::string_view::npos)
                    add(at, "the effect takes " + inQuotes(text) +
                                " whole as the reference name after REFERENCE, not as a setting");
                break;
            case Kind::Ignored: add(at, ignoredLineText(text, line.keyword)); break;
            case Kind::Unread:
                if (reading.endLine && *reading.endLine + 1 == i) {
                    if (!reading.lines[*reading.endLine].keyword.empty())
                        add(at, "the effect stops reading at the block's end (" PLIX_SCENE_END " on line " +
                                    std::to_string(lineOf(effect, *reading.endLine)) + "): " +
                                    notRead(static_cast<long long>(count - i - 1)));
                } else if (!reading.endLine && (i == 0 || reading.lines[i - 1].kind != Kind::Unread)) {
                    add(at, "the effect reads at most " + std::to_string(maxBlockLinesRead) + " lines of a block: " +
                                notRead(static_cast<long long>(count - i - 1)));
                }
                break;
            }
        }
        emissionNotes(object, effect, reading.settings);
    }

    void settingNote(const BlockLineReading &line, std::string_view text, int at, const BlockReading &reading) {
        const BlockName name = *line.name;
        std::vector<std::string> parts;
        if (line.keyword != nameOf(name))
            parts.push_back("the effect reads " + inQuotes(line.keyword) + " as " + nameOf(name));
        if (!line.hasOwnValue) {
            if (line.valueFrom) {
                const BlockLineReading &from = reading.lines[*line.valueFrom];
                parts.push_back(inQuotes(text) + " has no value: the effect gives " + nameOf(name) +
                                " the value of an earlier line, " + number(from.number.value));
            } else {
                parts.push_back(inQuotes(text) + " has no value and no earlier line of the block has one: the effect "
                                               "leaves " + nameOf(name) + " as it was");
            }
        } else {
            const std::vector<std::string> remarks = valueRemarks(line, name);
            parts.insert(parts.end(), remarks.begin(), remarks.end());
        }
        if (!parts.empty()) add(at, joined(parts));
    }

    // Where a setting's line is, for notes on what it causes: the line that
    // set it last, else the effect's own line.
    static int settingLine(const EffectBlock &effect, BlockName name) {
        const BlockReading reading = readEffectBlock(effect.lines);
        int at = effect.sourceLine;
        for (std::size_t i = 0; i < reading.lines.size(); ++i)
            if (reading.lines[i].kind == Kind::Setting && reading.lines[i].name == name && reading.lines[i].valueFrom)
                at = lineOf(effect, i);
        return at;
    }

    void emissionNotes(const SceneObject &object, const EffectBlock &effect, const EffectSettings &s) {
        const long long points = object.pointCount;
        const long long rate = s.birthRate;
        if (points <= 0) return;
        const std::string on = "on object '" + object.name + "': ";
        if (rate == 0) {
            add(settingLine(effect, BlockName::Birth), on + "Birth 0: the effect emits no spark");
            return;
        }
        if (rate < 0) return;
        const long long period = (30 * points) / rate;
        if (period == 0) {
            add(settingLine(effect, BlockName::Birth),
                on + "Birth " + std::to_string(rate) + " is above 30 x " + plural(points, "point") +
                    ": every spark is emitted at once, at frame " + std::to_string(s.startFrame) +
                    ", and none again, recycling or not");
            return;
        }
        if (s.recycle != 1 || (30 * points) % rate == 0) return;
        driftNote(effect, s, points, rate, period, on);
    }

    // 30 x N / R frames is not whole: the period is cut to P frames while
    // each cycle's births move on by 30 x N / R frames, so every spark's birth
    // slides through its cycle and past its end.
    void driftNote(const EffectBlock &effect, const EffectSettings &s, long long points,
                   long long rate, long long period, const std::string &on) {
        const double r = scene_.fps / 30.0; // scene frames per effect frame
        const double cycle = 30.0 * static_cast<double>(points) / static_cast<double>(rate);
        const double gain = cycle - static_cast<double>(period);
        const double slide = r * cycle - static_cast<double>(period); // per cycle, in scene frames
        if (slide <= 0.0) return;
        const double life = std::max({s.ageMin, s.ageMax, 1});
        const long long start = s.startFrame;
        const double fps = scene_.fps;
        const double periodSeconds = static_cast<double>(points) / static_cast<double>(rate);
        constexpr double secondsPerFrame = 0.03333333333333333; // as the effect turns frames into seconds
        // Sparks sampled evenly, the last one always, for objects of many points.
        const long long samples = std::min<long long>(points, 1 << 16);
        long long lastBirth = -1, lastInFlight = -1;
        for (long long k = 0; k < samples; ++k) {
            const long long i = samples == points ? k : k * (points - 1) / std::max<long long>(samples - 1, 1);
            const long long offset = i * period / points;
            const double exact = static_cast<double>(i * period) / static_cast<double>(points);
            // The last cycle in which the birth still falls inside the cycle,
            // by exact arithmetic, then checked with the effect's own doubles.
            const double room = static_cast<double>(start + offset + period - 1) - r * (static_cast<double>(start) + exact);
            if (room < 0.0) continue; // not even born in its first cycle
            for (long long c = static_cast<long long>(std::floor(room / slide)); c >= 0; --c) {
                const double birth = (static_cast<double>(c) * periodSeconds + static_cast<double>(start) * secondsPerFrame) +
                                     exact * secondsPerFrame;
                const long long cycleStart = start + offset + c * period, cycleEnd = cycleStart + period - 1;
                const auto shown = [&](long long f) {
                    return !(birth > static_cast<double>(f) / fps) &&
                           !(static_cast<double>(f) > birth * 30.0 + life);
                };
                long long first = std::max(cycleStart, static_cast<long long>(std::ceil(birth * fps)) - 1);
                while (first <= cycleEnd && !shown(first) && birth > static_cast<double>(first) / fps) ++first;
                if (first > cycleEnd || !shown(first)) continue; // this cycle's birth slid out of it
                long long last = std::min(cycleEnd, static_cast<long long>(std::floor(birth * 30.0 + life)) + 1);
                while (last > first && !shown(last)) --last;
                lastBirth = std::max(lastBirth, first);
                lastInFlight = std::max(lastInFlight, last);
                break;
            }
        }
        std::string text = on + "30 x " + plural(points, "point") + " / Birth " + std::to_string(rate) + " = " +
                           rounded(cycle) + " frames is not a whole number: the effect renews its sparks every " +
                           plural(period, "frame") + ", but each renewal comes " + fixed(gain, 2) +
                           " frame later in its cycle than the one before, so emission drifts and stops";
        if (lastBirth < 0)
            text += ": no spark is ever emitted";
        else
            text += ": no spark is born after about frame " + std::to_string(lastBirth) +
                    " and none is in flight from about frame " + std::to_string(lastInFlight + 1);
        add(settingLine(effect, BlockName::Birth), text);
    }

    void rateNote() {
        const double fps = scene_.fps;
        if (fps == 30.0 || scene_.effectCount() == 0) return;
        std::string text = "the effect counts 30 frames per second whatever the scene's rate (fps " + number(fps) +
                           "): births and lifetimes go by frame number, but flight time by the scene's seconds";
        if (fps > 30.0) {
            // A spark due at effect frame B is born once B / 30 s have passed,
            // at scene frame B x fps / 30, but its life ends at frame B + L.
            double lastFrame = -1.0;
            for (const SceneObject &object : scene_.objects)
                for (const EffectBlock &effect : object.effects) {
                    const EffectSettings s = readEffectBlock(effect.lines).settings;
                    const double life = std::max({s.ageMin, s.ageMax, 1});
                    const double latestBirth = 30.0 * life / (fps - 30.0);
                    if (s.startFrame <= latestBirth) lastFrame = std::max(lastFrame, std::floor(latestBirth + life));
                }
            if (lastFrame < 0.0)
                text += "; a spark is born only at frame " + number(fps / 30.0) +
                        " x its due frame while its life still ends on time, so no spark is ever in flight";
            else
                text += "; a spark is born only at " + number(fps / 30.0) +
                        " x its due frame while its life still ends on time, so no spark is in flight after about frame " +
                        fixed(lastFrame, 0) + " (" + fixed(lastFrame / fps, 1) + " s)";
        } else {
            const double lead = 1.0 / fps - 1.0 / 30.0;
            const double at = std::max(1.0, static_cast<double>(scene_.lastFrame));
            text += "; a spark born at frame F has already flown F x " + fixed(lead, 4) +
                    " s when it appears (" + fixed(at * lead, 2) + " s at frame " + fixed(at, 0) +
                    "), so sparks leave ever farther from the emitter and their published age runs past 1";
        }
        add(scene_.fpsLine, text);
    }

    const Scene &scene_;
    std::string file_;
    std::vector<SceneNote> notes_;
};

} // namespace

std::string SceneNote::formatted() const {
    return (line > 0 ? file + ":" + std::to_string(line) : file) + ": note: " + text;
}

std::vector<SceneNote> sceneNotes(const Scene &scene, const std::string &file) { return Notes(scene, file).build(); }

} // namespace plix::scene
