#include "player/preview_sink.h"

#include "files/atomic_file.h"

namespace plix::sandbox {

PreviewSink::PreviewSink(const FrameRange &range, double fps, const SceneFraming &framing, std::filesystem::path png,
                         std::filesystem::path gif, files::OutputRules rules)
    : png_(std::move(png)), gif_(std::move(gif)), range_(range), rules_(rules),
      recorder_(range.first, range.last, fps, preview::SceneView{framing.fit, framing.paths}, !gif_.empty()) {}

void PreviewSink::addFrame(const SinkFrame &frame) { recorder_.addFrame(frame.frame, frame.sparks, frame.emitters); }

std::string PreviewSink::samplingNote() const {
    if (gif_.empty() || recorder_.gifSpeedUp() == 1) return {};
    return gif_.filename().string() + " shows one frame in " + std::to_string(recorder_.gifFrameStep()) + " (" +
           withThousands(static_cast<long long>(recorder_.gifFrames().size())) + " frames of " +
           withThousands(range_.count()) + "), " + std::to_string(recorder_.gifSpeedUp()) +
           " times as fast as the scene plays: the whole range would be longer than a viewer shows";
}

std::vector<std::string> PreviewSink::finish() {
    std::vector<std::string> written;
    if (!png_.empty()) {
        files::writeFileAtomically(png_, recorder_.contactSheetPng(), rules_);
        written.push_back(png_.filename().string());
    }
    if (!gif_.empty()) {
        files::writeFileAtomically(gif_, recorder_.animatedGif(), rules_);
        written.push_back(gif_.filename().string());
    }
    return written;
}

} // namespace plix::sandbox
