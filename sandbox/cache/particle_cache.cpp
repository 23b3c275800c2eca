#include "cache/particle_cache.h"
#include "text/number_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>

#include "files/atomic_file.h"

namespace plix::cache {
namespace {

template <class Unsigned>
void appendLittleEndian(std::string &out, Unsigned bits) {
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

void appendInt(std::string &out, std::int32_t value) { appendLittleEndian(out, static_cast<std::uint32_t>(value)); }
void appendDouble(std::string &out, double value) { appendLittleEndian(out, std::bit_cast<std::uint64_t>(value)); }
void appendFloat(std::string &out, float value) { appendLittleEndian(out, std::bit_cast<std::uint32_t>(value)); }

// Shortest text that reads back as the same number.
template <class Number>
std::string exact(Number value) {
    return text::shortestText(value);
}

// A header comment is one line of printable ASCII: a name with a line break
// would otherwise start a header line of its own (a fake "element"), and
// other bytes are no PLY text. Everything else, and '\\', becomes \xNN.
std::string commentText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

bool written(const SparkSample &spark, bool keepParked) {
    return geometry::shownInFlight(spark) || (keepParked && spark.parked);
}

std::array<double, 3> components(const Vec3 &v) { return {v.x, v.y, v.z}; }

// What a parked spark is written with: nothing carried over from earlier frames.
float cachedAge(const SparkSample &spark) { return spark.parked ? 0.0f : spark.age; }
Vec3 cachedVelocity(const SparkSample &spark) { return spark.parked ? Vec3{} : spark.velocity; }

class PlyCache : public ParticleCache {
public:
    explicit PlyCache(CacheSettings settings) : settings_(std::move(settings)) {
        for (std::size_t e = 0; e < settings_.effects.size(); ++e)
            std::filesystem::create_directories(plyCacheFolder(settings_.outputFolder, settings_.effects, e));
    }

    void addFrame(int frame, double time, const FrameSparks &sparks) override {
        for (std::size_t e = 0; e < sparks.size() && e < settings_.effects.size(); ++e)
            files::writeFileAtomically(plyCacheFile(settings_.outputFolder, settings_.effects, e, frame),
                                       frameFile(e, frame, time, sparks[e]), {.replaceReadOnly = settings_.replaceReadOnly});
    }

    void finish() override {}

private:
    std::string frameFile(std::size_t effect, int frame, double time, const std::vector<SparkSample> &sparks) const {
        std::size_t count = 0;
        for (const SparkSample &spark : sparks) count += written(spark, settings_.keepParked) ? 1 : 0;
        const auto &box = settings_.viewBox;
        std::ostringstream header;
        header << "ply\nformat binary_little_endian 1.0\n"
               << "comment plix-sandbox particle cache\n"
               << "comment scene " << commentText(settings_.sceneName) << "\n"
               << "comment object " << settings_.effects[effect].object << " effect " << settings_.effects[effect].number
               << "\n"
               << "comment frame " << frame << "\n"
               << "comment time " << exact(time) << "\n"
               << "comment fps " << exact(settings_.fps) << "\n"
               << "comment view " << exact(box[0]) << " " << exact(box[1]) << " " << exact(box[2]) << " "
               << exact(box[3]) << "\n"
               << "element vertex " << count << "\n"
               << "property double x\nproperty double y\nproperty double z\n"
               << "property double vx\nproperty double vy\nproperty double vz\n"
               << "property int id\nproperty float age\n"
               << (settings_.keepParked ? "property uchar parked\n" : "") << "end_header\n";
        std::string body = header.str();
        body.reserve(body.size() + count * 57);
        for (std::size_t i = 0; i < sparks.size(); ++i) {
            const SparkSample &spark = sparks[i];
            if (!written(spark, settings_.keepParked)) continue;
            for (double c : components(spark.position)) appendDouble(body, c);
            for (double c : components(cachedVelocity(spark))) appendDouble(body, c);
            appendInt(body, static_cast<std::int32_t>(i));
            appendFloat(body, cachedAge(spark));
            if (settings_.keepParked) body.push_back(spark.parked ? 1 : 0);
        }
        return body;
    }

    CacheSettings settings_;
};

class CsvCache : public ParticleCache {
public:
    explicit CsvCache(CacheSettings settings) : settings_(std::move(settings)), file_(settings_.csvFile, {.replaceReadOnly = settings_.replaceReadOnly}) {
        file_.stream() << "frame,time,object,effect,id,x,y,z,vx,vy,vz,age" << (settings_.keepParked ? ",parked\n" : "\n");
    }

    void addFrame(int frame, double time, const FrameSparks &sparks) override {
        std::string rows;
        const std::string prefix = std::to_string(frame) + "," + exact(time) + ",";
        for (std::size_t e = 0; e < sparks.size() && e < settings_.effects.size(); ++e) {
            const std::string effect =
                prefix + settings_.effects[e].object + "," + std::to_string(settings_.effects[e].number) + ",";
            for (std::size_t i = 0; i < sparks[e].size(); ++i) {
                const SparkSample &spark = sparks[e][i];
                if (!written(spark, settings_.keepParked)) continue;
                rows += effect;
                rows += std::to_string(i);
                for (double c : components(spark.position)) rows += "," + exact(c);
                for (double c : components(cachedVelocity(spark))) rows += "," + exact(c);
                rows += "," + exact(cachedAge(spark));
                if (settings_.keepParked) rows += spark.parked ? ",1" : ",0";
                rows += "\n";
            }
        }
        file_.stream() << rows;
    }

    void finish() override { file_.commit(); }

private:
    CacheSettings settings_;
    files::AtomicOutputFile file_;
};

std::string frameFileName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.ply", frame);
    return name;
}

} // namespace

std::filesystem::path plyCacheFolder(const std::filesystem::path &outputFolder,
                                     const std::vector<CachedEffect> &effects, std::size_t effect) {
    // Object names are unique and the part after the last '.' is the effect's
    // number, so no two effects share a folder ("A.1" of object "A.1" is
    // "A.1.1"; "A.11" is the eleventh effect of "A").
    if (effects.size() <= 1) return outputFolder / "cache";
    return outputFolder / "cache" / (effects.at(effect).object + "." + std::to_string(effects[effect].number));
}

std::filesystem::path plyCacheFile(const std::filesystem::path &outputFolder, const std::vector<CachedEffect> &effects,
                                   std::size_t effect, int frame) {
    return plyCacheFolder(outputFolder, effects, effect) / frameFileName(frame);
}

std::filesystem::path plyCacheFile(const std::filesystem::path &outputFolder, int frame) {
    return outputFolder / "cache" / frameFileName(frame);
}

std::optional<int> plyCacheFrameOf(std::string_view fileName) {
    constexpr std::string_view prefix = "frame_", suffix = ".ply";
    if (fileName.size() <= prefix.size() + suffix.size() || !fileName.starts_with(prefix) ||
        !fileName.ends_with(suffix))
        return std::nullopt;
    const std::string_view digits = fileName.substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    int frame = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), frame);
    if (error != std::errc() || end != digits.data() + digits.size() || frameFileName(frame) != fileName)
        return std::nullopt;
    return frame;
}

std::unique_ptr<ParticleCache> makeParticleCache(CacheSettings settings) {
    switch (settings.format) {
    case CacheFormat::ply: return std::make_unique<PlyCache>(std::move(settings));
    case CacheFormat::csv: return std::make_unique<CsvCache>(std::move(settings));
    case CacheFormat::none: break;
    }
    return nullptr;
}

} // namespace plix::cache
