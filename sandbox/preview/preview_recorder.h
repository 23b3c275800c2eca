// The preview of a play: a PNG contact sheet of evenly spaced frames and an
// animated GIF of the frames at the scene's rate, sparks in flight coloured
// by their normalised age (white-hot, yellow, orange, ember red), each
// emitter's path over the whole scene drawn faintly. Parked sparks are not
// drawn. The framing is the scene's (SceneView), not the played frames', so
// any slice of a scene is drawn as the full run draws it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "preview/preview_view.h"
#include "plix/geometry.h"

struct gdImageStruct; // libgd's image, known only to the painter

namespace plix::preview {

struct PreviewLayout {
    int sheetCells = 12;    // frames on the contact sheet (fewer if the range is shorter)
    int sheetColumns = 4;
    int cellWidth = 320;
    int cellHeight = 240;
    int gifWidth = 480;
    int gifHeight = 360;
    // Longer ranges are sampled evenly down to this many GIF frames, shown
    // at the scene's rate (a time-lapse): each GIF frame costs about a
    // millisecond and a kilobyte, and no viewer shows hours of animation.
    int mostGifFrames = 1000;
};

// What fixes the picture for a whole scene: the fitted view and the path of
// each emitter over the scene's frames.
struct SceneView {
    ViewFit fit;
    std::vector<std::vector<geometry::Vec3>> paths;
};

class PreviewRecorder {
public:
    PreviewRecorder(int firstFrame, int lastFrame, double fps, SceneView view, bool withGif = true,
                    PreviewLayout layout = {});
    ~PreviewRecorder();

    // Frames on the contact sheet, and frames of the GIF, in order.
    const std::vector<int> &sheetFrames() const { return sheetFrames_; }
    const std::vector<int> &gifFrames() const { return gifFrames_; }
    int sheetWidth() const;
    int sheetHeight() const;
    // Hundredths of a second the n-th GIF frame is shown: the frames keep the
    // scene's rate on average (GIF delays are whole hundredths).
    int gifDelay(std::size_t n) const;
    // Scene frames from one GIF frame to the next, and how many times faster
    // than the scene the GIF plays (1 unless the range was sampled down).
    int gifFrameStep() const { return gifStep_ * gifSpeedUp_; }
    int gifSpeedUp() const { return gifSpeedUp_; }

    // Call for every frame of the range, in order. GIF frames are encoded at
    // once; the sparks are kept only for the contact sheet's frames.
    void addFrame(int frame, const geometry::FrameSparks &sparks, const std::vector<geometry::Vec3> &emitters);

    // Encoded files (libgd).
    std::string contactSheetPng() const;
    std::string animatedGif();

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
    static ShownFrame keep(int frame, const geometry::FrameSparks &sparks, const std::vector<geometry::Vec3> &emitters);
    const ShownFrame *shown(int frame) const;
    void appendGifFrame(gdImageStruct *image);

    int firstFrame_;
    int lastFrame_;
    double fps_;
    SceneView view_;
    PreviewLayout layout_;
    std::vector<int> sheetFrames_;
    std::vector<int> gifFrames_;
    int gifStep_ = 1;    // frames shown for one GIF frame at the scene's rate
    int gifSpeedUp_ = 1; // GIF frames taken every gifStep_ * gifSpeedUp_ frames
    std::vector<ShownFrame> frames_; // the contact sheet's
    bool withGif_;
    std::size_t gifFramesAdded_ = 0;
    std::string gif_;

    friend class PreviewPainter;
};

} // namespace plix::preview
