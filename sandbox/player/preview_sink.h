// The preview (contact sheet PNG, animated GIF) as a frame sink. Only in
// builds with the preview (libgd).
#pragma once

#include <filesystem>
#include <memory>

#include "files/output_place.h"
#include "player/frame_sink.h"
#include "player/frame_range.h"
#include "player/scene_framing.h"
#include "preview/preview_recorder.h"

namespace plix::sandbox {

class PreviewSink : public FrameSink {
public:
    // An empty path leaves that picture out.
    PreviewSink(const FrameRange &range, double fps, const SceneFraming &framing, std::filesystem::path png,
                std::filesystem::path gif, files::OutputRules rules = {});
    bool wantsEmitters() const override { return true; }
    void addFrame(const SinkFrame &frame) override;
    std::vector<std::string> finish() override;
    // What the user should know of a GIF sampled down from a long range, or
    // nothing.
    std::string samplingNote() const;

private:
    std::filesystem::path png_, gif_;
    FrameRange range_;
    files::OutputRules rules_;
    preview::PreviewRecorder recorder_;
};

} // namespace plix::sandbox
