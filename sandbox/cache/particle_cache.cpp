#include "cache/particle_cache.h"

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

template <class Number>
std::string exact(Number value) {
    char buffer[64];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

class PlyCache : public ParticleCache {
public:
    PlyCache(std::filesystem::path folder, std::vector<CachedEffect> effects)
        : folder_(std::move(folder)), effects_(std::move(effects)) {
        std::filesystem::create_directories(folder_ / "cache");
    }

    void addFrame(int frame, double time, const geometry::FrameSparks &sparks) override {
        std::size_t count = 0;
        for (const auto &effect : sparks) count += effect.size();
        std::ostringstream header;
        header << "ply\nformat binary_little_endian 1.0\n"
               << "comment plix-sandbox particle cache: frame " << frame << ", time " << exact(time) << " s\n";
        for (std::size_t e = 0; e < effects_.size(); ++e)
            header << "comment effect " << e << ": object " << effects_[e].object << ", effect "
                   << effects_[e].number << "\n";
        header << "element spark " << count << "\n"
               << "property int effect\nproperty int index\n"
               << "property double x\nproperty double y\nproperty double z\n"
               << "property float age\nproperty uchar parked\nend_header\n";
        std::string body = header.str();
        body.reserve(body.size() + count * 37);
        for (std::size_t e = 0; e < sparks.size(); ++e)
            for (std::size_t i = 0; i < sparks[e].size(); ++i) {
                const geometry::SparkSample &spark = sparks[e][i];
                appendInt(body, static_cast<std::int32_t>(e));
                appendInt(body, static_cast<std::int32_t>(i));
                for (double c : {spark.position.x, spark.position.y, spark.position.z}) appendDouble(body, c);
                appendFloat(body, spark.age);
                body.push_back(spark.parked ? 1 : 0);
            }
        files::writeFileAtomically(plyCacheFile(folder_, frame), body);
    }

    void finish() override {}

private:
    std::filesystem::path folder_;
    std::vector<CachedEffect> effects_;
};

class CsvCache : public ParticleCache {
public:
    CsvCache(const std::filesystem::path &folder, std::vector<CachedEffect> effects)
        : effects_(std::move(effects)), file_(folder / "cache.csv") {
        file_.stream() << "frame,time,object,effect,spark,x,y,z,age,parked\n";
    }

    void addFrame(int frame, double time, const geometry::FrameSparks &sparks) override {
        std::string rows;
        const std::string prefix = std::to_string(frame) + "," + exact(time) + ",";
        for (std::size_t e = 0; e < sparks.size(); ++e) {
            const std::string effect = prefix + effects_.at(e).object + "," + std::to_string(effects_[e].number) + ",";
            for (std::size_t i = 0; i < sparks[e].size(); ++i) {
                const geometry::SparkSample &spark = sparks[e][i];
                rows += effect;
                rows += std::to_string(i);
                for (double c : {spark.position.x, spark.position.y, spark.position.z}) rows += "," + exact(c);
                rows += "," + exact(spark.age);
                rows += spark.parked ? ",1\n" : ",0\n";
            }
        }
        file_.stream() << rows;
    }

    void finish() override { file_.commit(); }

private:
    std::vector<CachedEffect> effects_;
    files::AtomicOutputFile file_;
};

} // namespace

std::filesystem::path plyCacheFile(const std::filesystem::path &outputFolder, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.ply", frame);
    return outputFolder / "cache" / name;
}

std::unique_ptr<ParticleCache> makeParticleCache(CacheFormat format, const std::filesystem::path &outputFolder,
                                                 std::vector<CachedEffect> effects) {
    switch (format) {
    case CacheFormat::ply: return std::make_unique<PlyCache>(outputFolder, std::move(effects));
    case CacheFormat::csv: return std::make_unique<CsvCache>(outputFolder, std::move(effects));
    case CacheFormat::none: break;
    }
    return nullptr;
}

} // namespace plix::cache
