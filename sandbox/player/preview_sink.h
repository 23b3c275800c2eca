// The preview (contact sheet PNG, animated GIF) as a frame sink. Only in
// builds with the preview (libgd).
#pragma once

#include <filesystem>
#include <memory>

#include "player/frame_sink.h"
#include "player/frame_range.h"
#include "player/scene_framing.h"
#include "preview/preview_recorder.h"

namespace plix::sandbox {

class PreviewSink : public FrameSink {
public:
    // An empty path leaves that picture out.
    PreviewSink(const FrameRange &range, double fps, const SceneFraming &framing, std::filesystem::path png,
                std::filesystem::path gif);
    bool wantsEmitters() const override { return true; }
    void addFrame(const SinkFrame &frame) override;
    std::vector<std::string> finish() override;

private:
    std::filesystem::path png_, gif_;
    preview::PreviewRecorder recorder_;
};

} // namespace plix::sandbox
