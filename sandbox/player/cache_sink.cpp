#include "player/cache_sink.h"

#include "text/words.h"

namespace plix::sandbox {

using text::plural;

CacheSink::CacheSink(cache::CacheSettings settings, long long frameCount)
    : written_(settings.format == cache::CacheFormat::csv
                   ? settings.csvFile.filename().string()
                   : "cache/ (" +
                         plural(frameCount * static_cast<long long>(settings.effects.size()), "PLY file") + ")"),
      cache_(cache::makeParticleCache(std::move(settings))) {}

void CacheSink::addFrame(const SinkFrame &frame) { cache_->addFrame(frame.frame, frame.time, frame.sparks); }

std::vector<std::string> CacheSink::finish() {
    cache_->finish();
    return {written_};
}

} // namespace plix::sandbox
