#include "player/preview_sink.h"

#include "files/atomic_file.h"

namespace plix::sandbox {

PreviewSink::PreviewSink(const FrameRange &range, double fps, const SceneFraming &framing, std::filesystem::path png,
                         std::filesystem::path gif)
    : png_(std::move(png)), gif_(std::move(gif)),
      recorder_(range.first, range.last, fps, preview::SceneView{framing.fit, framing.paths}, !gif_.empty()) {}

void PreviewSink::addFrame(const SinkFrame &frame) { recorder_.addFrame(frame.frame, frame.sparks, frame.emitters); }

std::vector<std::string> PreviewSink::finish() {
    std::vector<std::string> written;
    if (!png_.empty()) {
        files::writeFileAtomically(png_, recorder_.contactSheetPng());
        written.push_back(png_.filename().string());
    }
    if (!gif_.empty()) {
        files::writeFileAtomically(gif_, recorder_.animatedGif());
        written.push_back(gif_.filename().string());
    }
    return written;
}

} // namespace plix::sandbox
