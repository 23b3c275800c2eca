// The particle cache (PLY or CSV files) as a frame sink.
#pragma once

#include <memory>

#include "cache/particle_cache.h"
#include "player/frame_sink.h"

namespace plix::sandbox {

class CacheSink : public FrameSink {
public:
    CacheSink(cache::CacheSettings settings, long long frameCount);
    bool wantsVelocity() const override { return true; }
    void addFrame(const SinkFrame &frame) override;
    std::vector<std::string> finish() override;

private:
    std::string written_; // what the summary says the cache wrote
    std::unique_ptr<cache::ParticleCache> cache_;
};

} // namespace plix::sandbox
