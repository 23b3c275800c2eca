#include "studio/frame_encoding.h"
#include "text/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <nlohmann/json.hpp>

namespace plix::studio {
namespace {

constexpr std::uint32_t formatVersion = 1;

template <class Unsigned>
void appendLittleEndian(std::string &out, Unsigned bits) {
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}
void appendU32(std::string &out, std::uint32_t value) { appendLittleEndian(out, value); }
void appendF64(std::string &out, double value) { appendLittleEndian(out, std::bit_cast<std::uint64_t>(value)); }

template <class Number>
void appendNumber(std::string &out, Number value) {
    if (!std::isfinite(value)) {
        out += std::isnan(value) ? "\"nan\"" : value > 0 ? "\"inf\"" : "\"-inf\"";
        return;
    }
    text::appendShortestText(out, value);
}

} // namespace

std::string frameBinary(const EncodedFrame &frame) {
    static_assert(std::endian::native == std::endian::little, "the arrays are copied as they lie in memory");
    const geometry::FrameSparks &sparks = *frame.sparks;
    std::size_t size = 32;
    for (const auto &effect : sparks) size += 8 + effect.size() * 16 + (effect.size() + 3) / 4 * 4;
    std::string out;
    out.reserve(size);
    out += "PLXF";
    appendU32(out, formatVersion);
    appendU32(out, static_cast<std::uint32_t>(frame.frame));
    appendU32(out, static_cast<std::uint32_t>(sparks.size()));
    appendF64(out, frame.time);
    appendF64(out, frame.moduleMilliseconds);
    for (const auto &effect : sparks) {
        const std::size_t n = effect.size();
        std::uint32_t inFlight = 0;
        for (const geometry::SparkSample &spark : effect) inFlight += spark.parked ? 0 : 1;
        appendU32(out, static_cast<std::uint32_t>(n));
        appendU32(out, inFlight);
        // The three arrays in one go: 12 + 4 bytes a spark, then the flags padded to 4 bytes.
        std::size_t at = out.size();
        out.resize(at + n * 16 + (n + 3) / 4 * 4, '\0');
        char *positions = out.data() + at;
        char *ages = positions + n * 12;
        char *parked = ages + n * 4;
        for (std::size_t i = 0; i < n; ++i) {
            const geometry::SparkSample &spark = effect[i];
            const float xyz[3] = {static_cast<float>(spark.position.x), static_cast<float>(spark.position.y),
                                  static_cast<float>(spark.position.z)};
            std::memcpy(positions + i * 12, xyz, 12);
            std::memcpy(ages + i * 4, &spark.age, 4);
            parked[i] = spark.parked ? 1 : 0;
        }
    }
    return out;
}

std::string frameJson(const EncodedFrame &frame) {
    const geometry::FrameSparks &sparks = *frame.sparks;
    std::string out = "{\"frame\":" + std::to_string(frame.frame) + ",\"time\":";
    appendNumber(out, frame.time);
    out += ",\"effects\":[";
    for (std::size_t e = 0; e < sparks.size(); ++e) {
        const StudioEffect &effect = frame.effects->at(e);
        out += e == 0 ? "{" : ",{";
        out += "\"object\":" + nlohmann::json(effect.object).dump() + ",\"effect\":" + std::to_string(effect.number) +
               ",\"sparks\":[";
        for (std::size_t i = 0; i < sparks[e].size(); ++i) {
            const geometry::SparkSample &spark = sparks[e][i];
            out += i == 0 ? "[" : ",[";
            for (double c : {spark.position.x, spark.position.y, spark.position.z}) {
                appendNumber(out, c);
                out += ',';
            }
            // As in the cache: the age a parked spark still publishes is left
            // over from its last flight, so it depends on the frames asked
            // before; it is given as 0.
            if (spark.parked)
                out += "0,1]";
            else {
                appendNumber(out, spark.age);
                out += ",0]";
            }
        }
        out += "]}";
    }
    out += "]}";
    return out;
}

} // namespace plix::studio
