#pragma once

// The finished picture of one movie frame, as every renderer writes it: the
// frame's stored picture with the project's movie effect, scaled to fill the
// output size and centre-cropped, the project's foreground laid over it, and
// darkened towards black at the movie's start and end when the theme fades
// are on.
//
// One thread at a time (the producer caches its effect filter), any thread:
// it reads the metadata only through the settings it is made with.

#include "app/core/Frame.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/media/PixelBuffer.h"

#include <cstdint>
#include <optional>
#include <vector>

class LeftOutFiles;
struct ThemeCard;

class RenderImageProducer : public KWImageProducer {
public:
    static constexpr const char* kForegroundKey = projectkeys::kForeground;
    static constexpr const char* kForegroundFile = projectkeys::kForegroundFile;

    // Loads "foreground.png" once when the settings ask for a foreground; a
    // missing or unreadable file means no foreground.
    RenderImageProducer(ProjectModelPtr project, PictureSettings settings);
    // With the settings of the metadata as they are now; main thread.
    explicit RenderImageProducer(ProjectModelPtr project);

    // The picture of `frame` at position `index` of a movie of `total`
    // positions (expanded list positions), at `withSize` pixels; (0, 0)
    // keeps the stored size. 640×360 starts from the smaller preview
    // picture. A missing or damaged picture gives the placeholder, treated
    // like any other. Null only when there is nothing to draw at all.
    graphics::Image getImageRenderingForFrame(const FramePtr& frame, graphics::Size withSize, int64_t atIndex,
                                              int64_t total);
    // The same from a picture the caller has, with the movie effect on it
    // already (a frame's picture read once for every position of its run, a
    // card drawn anew): fitted to `withSize` ((0, 0) keeps its size), the
    // foreground laid over it, faded. Null for a null picture.
    graphics::Image finishPicture(graphics::Image picture, graphics::Size withSize, int64_t atIndex, int64_t total);
    // Rows `top` to `top + rows` of getImageRenderingForFrame's picture, drawn
    // without the whole of it: what the picture is made of laid out as for
    // the whole picture and moved up by `top`. A size estimate measures a
    // large movie a strip at a time so. Null when there is nothing to draw.
    graphics::Image getStripOfRendering(const FramePtr& frame, graphics::Size withSize, int64_t atIndex, int64_t total,
                                        double top, double rows);
    // A card drawn anew at `withSize` pixels with the movie effect, for
    // finishPicture; null when its template cannot be read.
    graphics::Image getCardImage(const ThemeCard& card, graphics::Size withSize);
    // The same picture straight as the movie encoder's 4:2:0 planes, decoded
    // without a detour through RGB, when the stored picture is already what
    // the movie shows: a 4:2:0 JPEG of exactly `withSize`, upright, with no
    // effect, foreground or fade at that position. None otherwise (then
    // getImageRenderingForFrame draws it). The planes are decoded into
    // `store` (see graphics::jpeg::decodePlanes420).
    std::optional<media::PixelBuffer> getPlanarFrameAsStored(const FramePtr& frame, graphics::Size withSize,
                                                             int64_t atIndex, int64_t total,
                                                             std::vector<uint8_t> store = {});
    // The picture darkened by the fade amount at that position; the same
    // picture where there is no fade.
    graphics::Image applyFade(const graphics::Image& image, int64_t atIndex, int64_t total);

    const std::optional<graphics::Image>& imageForeground() const { return imageForeground_; }

    // Where the pictures that could not be read are noted (an export's);
    // none by default. Not owned: it outlives the producer.
    void setLeftOutFiles(LeftOutFiles* leftOut) { leftOut_ = leftOut; }

protected:
    void pictureNotRead(const Frame& frame, const std::string& fileName) override;

private:
    LeftOutFiles* leftOut_ = nullptr;
    std::optional<graphics::Image> imageForeground_;
    // The last stored file read by getPlanarFrameAsStored, whose room the
    // next read uses again.
    foundation::Bytes fileStore_;
};
