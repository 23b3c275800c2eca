// Particle cache: every spark of every frame, for other programs to read.
//
// ply: one binary little-endian PLY file per frame, cache/frame_NNNNNN.ply,
//      with an element "spark" of properties effect (int), index (int),
//      x y z (double), age (float), parked (uchar 0/1).
// csv: one file, cache.csv, with the columns
//      frame,time,object,effect,spark,x,y,z,age,parked.
// Positions are written exactly. A parked spark sits at the parking position;
// its age is the one the effect still publishes from its last flight.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "plix/geometry.h"

namespace plix::cache {


enum class CacheFormat { none, ply, csv };

// One effect of the scene, in scene order.
struct CachedEffect {
    std::string object;
    int number = 1; // 1 for the object's first effect, 2 for its second, ...
};

class ParticleCache {
public:
    virtual ~ParticleCache() = default;
    virtual void addFrame(int frame, double time, const geometry::FrameSparks &sparks) = 0;
    // Puts the cache in place; without it a cache file in progress is dropped.
    virtual void finish() = 0;
};

// Null for CacheFormat::none. Writes below `outputFolder`. Throws
// std::runtime_error naming the file when something cannot be written.
std::unique_ptr<ParticleCache> makeParticleCache(CacheFormat format, const std::filesystem::path &outputFolder,
                                                 std::vector<CachedEffect> effects);

// Name of a frame's PLY file within the output folder.
std::filesystem::path plyCacheFile(const std::filesystem::path &outputFolder, int frame);

} // namespace plix::cache
