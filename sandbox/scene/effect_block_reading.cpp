#include "scene/effect_block_reading.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace plix::scene {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The keyword names `name` when it is a first part of it (the empty keyword
// is a first part of every name).
bool namesPrefix(std::string_view keyword, std::string_view name) {
    return keyword.size() <= name.size() && name.substr(0, keyword.size()) == keyword;
}

std::optional<BlockName> nameFor(std::string_view keyword) {
    for (std::size_t i = 0; i < blockNames.size(); ++i)
        if (namesPrefix(keyword, blockNames[i])) return static_cast<BlockName>(i);
    return std::nullopt;
}

void assign(EffectSettings &s, BlockName name, double v) {
    switch (name) {
    case BlockName::V0Min: s.v0Min = v; break;
    case BlockName::V0Max: s.v0Max = v; break;
    case BlockName::AgeMin: s.ageMin = wholeNumberOf(v); break;
    case BlockName::AgeMax: s.ageMax = wholeNumberOf(v); break;
    case BlockName::Gravity: s.gravity = v; break;
    case BlockName::Regist: s.regist = v; break;
    case BlockName::StartFrame: s.startFrame = wholeNumberOf(v); break;
    case BlockName::Birth: s.birthRate = wholeNumberOf(v); break;
    case BlockName::ReCycle: s.recycle = wholeNumberOf(v); break;
    case BlockName::SpreadMin: s.spreadMin = wholeNumberOf(v); break;
    case BlockName::SpreadMax: s.spreadMax = wholeNumberOf(v); break;
    case BlockName::AvoidX: s.avoidX = v; break;
    case BlockName::AvoidY: s.avoidY = v; break;
    case BlockName::AvoidZ: s.avoidZ = v; break;
    case BlockName::End:
    case BlockName::Reference: break;
    }
}

} // namespace

const char *nameOf(BlockName name) { return blockNames[static_cast<std::size_t>(name)]; }

bool isWholeNumberSetting(BlockName name) {
    switch (name) {
    case BlockName::AgeMin:
    case BlockName::AgeMax:
    case BlockName::StartFrame:
    case BlockName::Birth:
    case BlockName::ReCycle:
    case BlockName::SpreadMin:
    case BlockName::SpreadMax: return true;
    default: return false;
    }
}

int wholeNumberOf(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

BlockNumber readBlockNumber(std::string_view text) {
    BlockNumber out;
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    const std::size_t start = i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string number; // in the form from_chars takes: no sign, 'e' for the exponent
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number.push_back(text[i]);
    }
    if (digits == 0) {
        out.rest = text.substr(start);
        return out;
    }
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        bool minus = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) minus = text[j++] == '-';
        if (j < text.size() && isDigit(text[j])) { // a letter without digits is not part of it
            number += minus ? "e-" : "e";
            while (j < text.size() && isDigit(text[j])) number.push_back(text[j++]);
            negativeExponent = minus;
            i = j;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    else if (result.ec != std::errc())
        value = 0.0;
    out.value = negative ? -value : value;
    out.isNumber = true;
    out.number = text.substr(start, i - start);
    out.rest = text.substr(i);
    return out;
}

BlockReading readEffectBlock(const std::vector<std::string> &lines) {
    BlockReading reading;
    reading.lines.resize(lines.size());
    std::optional<std::size_t> lastValue; // the last line read that had a value
    double value = 0.0;
    bool referenceNext = false;
    std::size_t readAfterOpening = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        BlockLineReading &line = reading.lines[i];
        const std::string_view text = lines[i];
        if (referenceNext) { // read whole, never split
            line.kind = BlockLineReading::Kind::ReferenceName;
            referenceNext = false;
            continue; // read within the REFERENCE line's turn
        }
        if (i > 0 && readAfterOpening == maxBlockLinesRead) break; // the rest stays Unread
        const std::size_t space = text.find(' ');
        line.keyword = text.substr(0, space);
        line.hasOwnValue = space != std::string_view::npos;
        if (line.hasOwnValue) {
            line.number = readBlockNumber(text.substr(space));
            value = line.number.value;
            lastValue = i;
        }
        line.name = nameFor(line.keyword);
        if (i == 0) {
            if (namesPrefix(line.keyword, PLIX_SCENE_START)) {
                line.kind = BlockLineReading::Kind::Opening;
                line.name.reset();
                continue;
            }
            line.kind = BlockLineReading::Kind::NotOpening;
            line.name.reset();
            return reading; // every other line stays Unread
        }
        ++readAfterOpening;
        if (!line.name) {
            line.kind = BlockLineReading::Kind::Ignored;
        } else if (*line.name == BlockName::End) {
            line.kind = BlockLineReading::Kind::End;
            reading.endLine = i;
            return reading;
        } else if (*line.name == BlockName::Reference) {
            line.kind = BlockLineReading::Kind::Reference;
            referenceNext = true;
        } else {
            line.kind = BlockLineReading::Kind::Setting;
            line.valueFrom = lastValue;
            if (lastValue) {
                line.value = value;
                assign(reading.settings, *line.name, value);
            }
        }
    }
    return reading;
}

} // namespace plix::scene
