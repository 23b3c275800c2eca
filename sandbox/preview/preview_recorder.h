// The preview of a play: a PNG contact sheet of evenly spaced frames and an
// animated GIF, sparks in flight coloured by their normalised age, each
// emitter's path over the whole range drawn faintly. Parked sparks are not
// drawn. All frames share one fitted view, so motion reads across frames.
#pragma once

#include <string>
#include <vector>

#include "plix/geometry.h"

namespace plix::preview {

struct PreviewLayout {
    int sheetCells = 12;    // frames on the contact sheet (fewer if the range is shorter)
    int sheetColumns = 4;
    int cellWidth = 320;
    int cellHeight = 240;
    int gifWidth = 480;
    int gifHeight = 360;
    int maxGifFrames = 240; // longer ranges are shown every n-th frame
};

class PreviewRecorder {
public:
    PreviewRecorder(int firstFrame, int lastFrame, double fps, PreviewLayout layout = {});

    // Frames on the contact sheet, and frames of the GIF, in order.
    const std::vector<int> &sheetFrames() const { return sheetFrames_; }
    const std::vector<int> &gifFrames() const { return gifFrames_; }
    int sheetWidth() const;
    int sheetHeight() const;
    int gifWidth() const { return layout_.gifWidth; }
    int gifHeight() const { return layout_.gifHeight; }
    // Hundredths of a second each GIF frame is shown.
    int gifDelay() const { return gifDelay_; }

    // Call for every frame of the range, in order: the emitters' positions
    // extend their paths; the sparks are kept only for frames shown.
    void addFrame(int frame, const geometry::FrameSparks &sparks, const std::vector<geometry::Vec3> &emitters);

    // Encoded files (libgd). Frames never added show only the paths.
    std::string contactSheetPng() const;
    std::string animatedGif() const;

private:
    struct ShownSpark {
        geometry::Vec3 position;
        float age;
    };
    struct ShownFrame {
        int frame;
        std::vector<ShownSpark> sparks;
        std::vector<geometry::Vec3> emitters;
    };
    const ShownFrame *shown(int frame) const;
    bool isShown(int frame) const;

    int firstFrame_;
    int lastFrame_;
    PreviewLayout layout_;
    std::vector<int> sheetFrames_;
    std::vector<int> gifFrames_;
    int gifDelay_ = 3;
    std::vector<ShownFrame> frames_;
    std::vector<std::vector<geometry::Vec3>> paths_; // one per emitter

    friend class PreviewPainter;
};

} // namespace plix::preview
