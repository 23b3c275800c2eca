// Drawing and encoding of the preview with libgd.
#include <gd.h>
#include <gdfonts.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

#include "preview/age_colours.h"
#include "preview/preview_recorder.h"
#include "preview/preview_view.h"

namespace plix::preview {

namespace {

constexpr int rampSize = 64;

struct ImageDeleter {
    void operator()(gdImagePtr image) const { gdImageDestroy(image); }
};
using Image = std::unique_ptr<gdImage, ImageDeleter>;

Image newImage(int width, int height) {
    Image image(gdImageCreate(width, height));
    if (!image) throw std::runtime_error("cannot make a preview image of " + std::to_string(width) + "x" +
                                         std::to_string(height) + " pixels");
    return image;
}

// Colours in one fixed order, so every GIF frame shares the global palette.
struct Palette {
    int background, grid, path, emitter, label;
    int ramp[rampSize];

    explicit Palette(gdImagePtr image) {
        background = gdImageColorAllocate(image, 10, 11, 20);
        grid = gdImageColorAllocate(image, 34, 37, 54);
        path = gdImageColorAllocate(image, 70, 90, 130);
        emitter = gdImageColorAllocate(image, 120, 200, 255);
        label = gdImageColorAllocate(image, 190, 195, 210);
        for (int i = 0; i < rampSize; ++i) {
            const Rgb c = ageColour(static_cast<double>(i) / (rampSize - 1));
            ramp[i] = gdImageColorAllocate(image, c[0], c[1], c[2]);
        }
    }
    int forAge(float age) const {
        const double a = age >= 0.0f ? (age <= 1.0f ? age : 1.0) : 0.0;
        return ramp[static_cast<int>(a * (rampSize - 1) + 0.5)];
    }
};

std::string takeBytes(void *data, int size) {
    if (data == nullptr) throw std::runtime_error("libgd could not encode the preview");
    std::string bytes(static_cast<const char *>(data), static_cast<std::size_t>(size));
    gdFree(data);
    return bytes;
}

} // namespace

class PreviewPainter {
public:
    explicit PreviewPainter(const PreviewRecorder &recorder) : recorder_(recorder) {}

    // One frame into the cell at (left, top) of the image; `shown` may be null.
    void paint(gdImagePtr image, const Palette &palette, int left, int top, int width, int height, int frame,
               const PreviewRecorder::ShownFrame *shown, int sparkSize) const {
        const ViewFit &fit = recorder_.view_.fit;
        gdImageSetClip(image, left, top, left + width - 1, top + height - 1);
        const auto pixel = [&](const geometry::Vec3 &p) {
            const Point2 at = fit.toPixel(projectToView(p), width, height);
            return std::array<int, 2>{left + clampToPixels(at[0]), top + clampToPixels(at[1])};
        };
        drawGround(image, palette, pixel);
        for (const auto &path : recorder_.view_.paths)
            for (std::size_t i = 1; i < path.size(); ++i) {
                const auto a = pixel(path[i - 1]), b = pixel(path[i]);
                gdImageLine(image, a[0], a[1], b[0], b[1], palette.path);
            }
        if (shown != nullptr) {
            for (const auto &spark : shown->sparks) {
                const auto at = pixel(spark.position);
                const int colour = palette.forAge(spark.age);
                if (sparkSize <= 1)
                    gdImageSetPixel(image, at[0], at[1], colour);
                else
                    gdImageFilledRectangle(image, at[0], at[1], at[0] + sparkSize - 1, at[1] + sparkSize - 1, colour);
            }
            for (const geometry::Vec3 &emitter : shown->emitters) {
                const auto at = pixel(emitter);
                gdImageRectangle(image, at[0] - 2, at[1] - 2, at[0] + 2, at[1] + 2, palette.emitter);
            }
        }
        const std::string text = "frame " + std::to_string(frame);
        gdImageString(image, gdFontGetSmall(), left + 5, top + 4,
                      reinterpret_cast<unsigned char *>(const_cast<char *>(text.c_str())), palette.label);
        gdImageSetClip(image, 0, 0, gdImageSX(image) - 1, gdImageSY(image) - 1);
    }

private:
    // Far-off points (outside the scene's framing) stay far off the picture
    // without overflowing an int.
    static int clampToPixels(double v) {
        return static_cast<int>(std::isfinite(v) ? std::clamp(v, -1.0e6, 1.0e6) : -1.0e6);
    }

    // A faint cross on the ground plane through the origin, for orientation.
    template <class Pixel>
    void drawGround(gdImagePtr image, const Palette &palette, const Pixel &pixel) const {
        const geometry::Vec3 ends[][2] = {{{-1, 0, 0}, {1, 0, 0}}, {{0, 0, -1}, {0, 0, 1}}};
        for (const auto &line : ends) {
            const auto a = pixel(line[0]), b = pixel(line[1]);
            gdImageLine(image, a[0], a[1], b[0], b[1], palette.grid);
        }
    }

    const PreviewRecorder &recorder_;
};

PreviewRecorder::~PreviewRecorder() = default;

void PreviewRecorder::addFrame(int frame, const geometry::FrameSparks &sparks, const std::vector<geometry::Vec3> &emitters) {
    if (std::binary_search(sheetFrames_.begin(), sheetFrames_.end(), frame) && shown(frame) == nullptr) {
        const auto at = std::lower_bound(frames_.begin(), frames_.end(), frame,
                                         [](const ShownFrame &f, int n) { return f.frame < n; });
        frames_.insert(at, keep(frame, sparks, emitters));
    }
    if (gifFramesAdded_ >= gifFrames_.size() || gifFrames_[gifFramesAdded_] != frame) return;
    const ShownFrame kept = keep(frame, sparks, emitters);
    const PreviewPainter painter(*this);
    Image image = newImage(layout_.gifWidth, layout_.gifHeight);
    const Palette palette(image.get());
    painter.paint(image.get(), palette, 0, 0, layout_.gifWidth, layout_.gifHeight, frame, &kept, 2);
    appendGifFrame(image.get());
}

// Encodes one frame onto the animation (the first one starts it).
void PreviewRecorder::appendGifFrame(gdImagePtr image) {
    int size = 0; // set by each encoder before its bytes are taken
    if (gifFramesAdded_ == 0) {
        void *start = gdImageGifAnimBeginPtr(image, &size, 1, 0);
        gif_ += takeBytes(start, size);
    }
    void *frame = gdImageGifAnimAddPtr(image, &size, 0, 0, 0, gifDelay(gifFramesAdded_), gdDisposalNone, nullptr);
    gif_ += takeBytes(frame, size);
    ++gifFramesAdded_;
}

std::string PreviewRecorder::contactSheetPng() const {
    const PreviewPainter painter(*this);
    Image image = newImage(sheetWidth(), sheetHeight());
    const Palette palette(image.get());
    const int columns = sheetWidth() / layout_.cellWidth;
    for (std::size_t i = 0; i < sheetFrames_.size(); ++i) {
        const int left = static_cast<int>(i % columns) * layout_.cellWidth;
        const int top = static_cast<int>(i / columns) * layout_.cellHeight;
        painter.paint(image.get(), palette, left, top, layout_.cellWidth, layout_.cellHeight, sheetFrames_[i],
                      shown(sheetFrames_[i]), 1);
        gdImageRectangle(image.get(), left, top, left + layout_.cellWidth - 1, top + layout_.cellHeight - 1,
                         palette.grid);
    }
    int size = 0;
    void *data = gdImagePngPtr(image.get(), &size); // sets size
    return takeBytes(data, size);
}

std::string PreviewRecorder::animatedGif() {
    // Frames never added (an interrupted run) are drawn with the paths only.
    const PreviewPainter painter(*this);
    while (gifFramesAdded_ < gifFrames_.size()) {
        Image image = newImage(layout_.gifWidth, layout_.gifHeight);
        const Palette palette(image.get());
        painter.paint(image.get(), palette, 0, 0, layout_.gifWidth, layout_.gifHeight, gifFrames_[gifFramesAdded_],
                      nullptr, 2);
        appendGifFrame(image.get());
    }
    int size = 0;
    void *end = gdImageGifAnimEndPtr(&size);
    return gif_ + takeBytes(end, size);
}

} // namespace plix::preview
