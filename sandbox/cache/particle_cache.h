// Particle cache: the sparks of every frame, for other programs to read.
//
// ply: one binary little-endian PLY file per frame and effect: with one
//      effect in the scene cache/frame_NNNNNN.ply, with several
//      cache/OBJECT.N/frame_NNNNNN.ply (N counts the object's effects from 1).
//      Element "vertex": x y z (double, as evaluate handed them out), vx vy vz
//      (double, scene units per second), id (int, the spark's index), age
//      (float, the normalised age the effect published); with keepParked also
//      the parked sparks and a property parked (uchar 0/1).
// csv: one file with the columns frame,time,object,effect,id,x,y,z,vx,vy,vz,age
//      (and parked with keepParked).
// Only sparks in flight with finite values are written (parked ones too with
// keepParked). A parked spark is written with velocity 0 and age 0: the age
// the effect publishes for it is left over from its last flight, so it
// depends on which frames were played before, and a cache file must not.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include "plix/geometry.h"

namespace plix::cache {

using geometry::FrameSparks;
using geometry::SparkSample;
using geometry::Vec3;

enum class CacheFormat { none, ply, csv };

// One effect of the scene, in scene order.
struct CachedEffect {
    std::string object;
    int number = 1; // 1 for the object's first effect, 2 for its second, ...
};

struct CacheSettings {
    CacheFormat format = CacheFormat::none;
    std::filesystem::path outputFolder;
    std::filesystem::path csvFile;  // for CacheFormat::csv, within outputFolder
    std::vector<CachedEffect> effects;
    bool keepParked = false;
    std::string sceneName;           // recorded in each PLY header
    double fps = 30.0;
    std::array<double, 4> viewBox{}; // the preview's framing: view-plane low x, low y, high x, high y
    bool replaceReadOnly = false;    // the user asked to replace read-only files too
};

class ParticleCache {
public:
    virtual ~ParticleCache() = default;
    // Throws std::runtime_error naming the file when it cannot be written.
    virtual void addFrame(int frame, double time, const FrameSparks &sparks) = 0;
    // Puts the cache in place; without it a cache file in progress is dropped.
    virtual void finish() = 0;
};

// Null for CacheFormat::none.
std::unique_ptr<ParticleCache> makeParticleCache(CacheSettings settings);

// The folder of one effect's PLY files within the output folder.
std::filesystem::path plyCacheFolder(const std::filesystem::path &outputFolder,
                                     const std::vector<CachedEffect> &effects, std::size_t effect);
// Name of one effect's PLY file of a frame within the output folder.
std::filesystem::path plyCacheFile(const std::filesystem::path &outputFolder, const std::vector<CachedEffect> &effects,
                                   std::size_t effect, int frame);
// Name of a frame's PLY file in a scene with one effect.
std::filesystem::path plyCacheFile(const std::filesystem::path &outputFolder, int frame);
// The frame of a PLY cache file's name ("frame_000042.ply" is 42), exactly as
// the cache names it; none for any other name.
std::optional<int> plyCacheFrameOf(std::string_view fileName);

} // namespace plix::cache
