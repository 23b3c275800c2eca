#include "preview/preview_recorder.h"

#include <algorithm>
#include <cmath>

namespace plix::preview {

PreviewRecorder::PreviewRecorder(int firstFrame, int lastFrame, double fps, SceneView view, bool withGif,
                                 PreviewLayout layout)
    : firstFrame_(firstFrame), lastFrame_(lastFrame), fps_(fps > 0.0 && std::isfinite(fps) ? fps : 30.0),
      view_(std::move(view)), layout_(layout), withGif_(withGif) {
    const long long count = static_cast<long long>(lastFrame) - firstFrame + 1;
    const long long cells = std::min<long long>(std::max(layout_.sheetCells, 1), count);
    for (long long i = 0; i < cells; ++i) {
        const long long offset = cells == 1 ? 0 : std::llround(static_cast<double>(i) * (count - 1) / (cells - 1));
        sheetFrames_.push_back(static_cast<int>(firstFrame + offset));
    }
    // Viewers show a GIF frame for at least 2 hundredths of a second: above
    // 50 frames per second every n-th frame is shown, for as long as n frames.
    gifStep_ = std::max(1, static_cast<int>(std::ceil(2.0 * fps_ / 100.0 - 1e-9)));
    const long long most = std::max(layout_.mostGifFrames, 1);
    const long long atRate = (count + gifStep_ - 1) / gifStep_;
    if (atRate > most) gifSpeedUp_ = static_cast<int>((atRate + most - 1) / most);
    if (withGif_)
        for (long long f = firstFrame; f <= lastFrame; f += gifFrameStep()) gifFrames_.push_back(static_cast<int>(f));
}

int PreviewRecorder::gifDelay(std::size_t n) const {
    // Frame n starts at round(100 n step / fps) hundredths.
    const auto start = [&](std::size_t k) {
        return std::llround(100.0 * static_cast<double>(k) * gifStep_ / fps_);
    };
    return static_cast<int>(std::max<long long>(2, start(n + 1) - start(n)));
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

const PreviewRecorder::ShownFrame *PreviewRecorder::shown(int frame) const {
    const auto found = std::lower_bound(frames_.begin(), frames_.end(), frame,
                                        [](const ShownFrame &f, int n) { return f.frame < n; });
    return found != frames_.end() && found->frame == frame ? &*found : nullptr;
}

PreviewRecorder::ShownFrame PreviewRecorder::keep(int frame, const geometry::FrameSparks &sparks,
                                                  const std::vector<geometry::Vec3> &emitters) {
    ShownFrame kept{frame, {}, emitters};
    for (const auto &effect : sparks)
        for (const geometry::SparkSample &spark : effect)
            if (geometry::shownInFlight(spark)) kept.sparks.push_back({spark.position, spark.age});
    // Oldest first, so that the youngest, brightest sparks end up on top.
    std::stable_sort(kept.sparks.begin(), kept.sparks.end(),
                     [](const ShownSpark &a, const ShownSpark &b) { return a.age > b.age; });
    return kept;
}

} // namespace plix::preview
