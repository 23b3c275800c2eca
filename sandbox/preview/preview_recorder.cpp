#include "preview/preview_recorder.h"

#include <algorithm>
#include <cmath>

namespace plix::preview {

PreviewRecorder::PreviewRecorder(int firstFrame, int lastFrame, double fps, PreviewLayout layout)
    : firstFrame_(firstFrame), lastFrame_(lastFrame), layout_(layout) {
    const long long count = static_cast<long long>(lastFrame) - firstFrame + 1;
    const long long cells = std::min<long long>(std::max(layout_.sheetCells, 1), count);
    for (long long i = 0; i < cells; ++i) {
        const long long offset = cells == 1 ? 0 : std::llround(static_cast<double>(i) * (count - 1) / (cells - 1));
        sheetFrames_.push_back(static_cast<int>(firstFrame + offset));
    }
    const long long maxFrames = std::max(layout_.maxGifFrames, 1);
    const long long step = (count + maxFrames - 1) / maxFrames;
    for (long long f = firstFrame; f <= lastFrame; f += step) gifFrames_.push_back(static_cast<int>(f));
    gifDelay_ = std::max(2, static_cast<int>(std::lround(100.0 * static_cast<double>(step) / fps)));
}

int PreviewRecorder::sheetWidth() const {
    const int columns = std::min<int>(layout_.sheetColumns, static_cast<int>(sheetFrames_.size()));
    return columns * layout_.cellWidth;
}

int PreviewRecorder::sheetHeight() const {
    const int columns = std::min<int>(layout_.sheetColumns, static_cast<int>(sheetFrames_.size()));
    const int rows = (static_cast<int>(sheetFrames_.size()) + columns - 1) / columns;
    return rows * layout_.cellHeight;
}

bool PreviewRecorder::isShown(int frame) const {
    return std::binary_search(sheetFrames_.begin(), sheetFrames_.end(), frame) ||
           std::binary_search(gifFrames_.begin(), gifFrames_.end(), frame);
}

const PreviewRecorder::ShownFrame *PreviewRecorder::shown(int frame) const {
    const auto found = std::lower_bound(frames_.begin(), frames_.end(), frame,
                                        [](const ShownFrame &f, int n) { return f.frame < n; });
    return found != frames_.end() && found->frame == frame ? &*found : nullptr;
}

void PreviewRecorder::addFrame(int frame, const geometry::FrameSparks &sparks, const std::vector<geometry::Vec3> &emitters) {
    if (paths_.size() < emitters.size()) paths_.resize(emitters.size());
    for (std::size_t e = 0; e < emitters.size(); ++e) paths_[e].push_back(emitters[e]);
    if (!isShown(frame) || shown(frame) != nullptr) return;

    ShownFrame kept{frame, {}, emitters};
    for (const auto &effect : sparks)
        for (const geometry::SparkSample &spark : effect)
            if (!spark.parked) kept.sparks.push_back({spark.position, spark.age});
    // Oldest first, so that the youngest, brightest sparks end up on top.
    std::stable_sort(kept.sparks.begin(), kept.sparks.end(),
                     [](const ShownSpark &a, const ShownSpark &b) { return a.age > b.age; });
    const auto at = std::lower_bound(frames_.begin(), frames_.end(), frame,
                                     [](const ShownFrame &f, int n) { return f.frame < n; });
    frames_.insert(at, std::move(kept));
}

} // namespace plix::preview
