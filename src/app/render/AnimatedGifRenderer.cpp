#include "app/render/AnimatedGifRenderer.h"

#include "app/core/FileUtil.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/RenderOutput.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/GifWriter.h"

#include <algorithm>

std::vector<MovieExportType> AnimatedGifRenderer::getSupportedExportTypes() const {
    return {MovieExportType(foundation::localized("Animated GIF"), std::nullopt, kPictureSize, kUTTypeGIF, "gif")};
}

int64_t AnimatedGifRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType&) {
    const ExpandedFrames frames = expandedFrames();
    if (frames.count() < 1) return kNoEstimate;
    // What a GIF takes depends on what its pictures show far more than on
    // their number (a flat drawing costs a few kilobytes a picture, a
    // dithered photograph a hundred and more): the picture in the middle of
    // the GIF, drawn as the export draws it, is measured with the encoder
    // the export uses, and every picture is taken to cost as much.
    const int64_t pictures = std::min(frames.count(), kMaximumPictures);
    RenderImageProducer producer(project());
    const graphics::Image sample = gifPicture(producer, frames, pictures / 2, pictures);
    if (sample.isNull()) return kNoEstimate;
    auto footprint = graphics::GifWriter::footprintOfPicture(sample);
    if (!footprint) return kNoEstimate;
    return kilobytesEstimate(double(footprint->containerBytes) + double(pictures) * double(footprint->pictureBytes));
}

graphics::Image AnimatedGifRenderer::gifPicture(RenderImageProducer& producer, const ExpandedFrames& frames,
                                                int64_t index, int64_t pictures) {
    const int64_t position = sourcePositionOfPicture(index, pictures, frames.count());
    graphics::Image picture =
        producer.getImageRenderingForFrame(frames.frameAt(position), kPictureSize, position, frames.count());
    if (picture.isNull()) return picture;
    picture = picture.normalized();
    const int width = int(kPictureSize.width), height = int(kPictureSize.height);
    if (picture.pixelWidth() != width || picture.pixelHeight() != height) picture = picture.resized(width, height);
    return picture;
}

int64_t AnimatedGifRenderer::sourcePositionOfPicture(int64_t index, int64_t pictures, int64_t frames) {
    if (pictures >= frames) return index;
    // In integers, so 120 frames give 0, 2, 4, 7, 9, … exactly where a
    // floating step of 2.4 could land a hair below a whole number.
    return int64_t((__int128(index) * frames) / pictures);
}

void AnimatedGifRenderer::renderMovie() {
    const ExpandedFrames& frames = snapshot().frames;
    totalFrames_ = std::min(frames.count(), kMaximumPictures);
    if (frames.count() < 1) return failWithError(renderoutput::noFramesError(kErrorDomain));
    if (!beginRendering()) return;

    const std::string path = exportURLForRender(getSupportedExportTypes().front());
    setExportURL(path);
    // An earlier GIF goes first: a failed export must not leave it looking
    // like this export's output.
    foundation::Error removeError;
    if (!FileUtil::removeItemAtPath(path, &removeError))
        return failWithError(renderoutput::writeFailedError(kErrorDomain, removeError));
    if (auto failure = writeGif(path, frames))
        return failWithError(renderoutput::writeFailedError(kErrorDomain, *failure));
    if (isCancelled()) return;
    setProgress(1.0);
    markFinished();
}

std::optional<foundation::Error> AnimatedGifRenderer::writeGif(const std::string& path, const ExpandedFrames& frames) {
    const int64_t pictures = totalFrames_.load();
    const int width = int(kPictureSize.width), height = int(kPictureSize.height);
    RenderImageProducer producer(project(), snapshot().pictures);
    auto writer = graphics::GifWriter::create(
        path, width, height, graphics::GifWriter::delayCentisecondsForFramesPerSecond(double(snapshot().pictures.fps)));
    if (!writer) return writer.error();
    for (int64_t k = 0; k < pictures; ++k) {
        // Dropping the writer removes its temporary file: no partial GIF.
        if (isCancelled()) return std::nullopt;
        const graphics::Image picture = gifPicture(producer, frames, k, pictures);
        if (!picture.isNull()) {
            if (auto added = writer->addImage(picture); !added) return added.error();
        }
        setProgress(double(k) / double(pictures));
    }
    if (isCancelled()) return std::nullopt;
    // A movie whose every picture failed to draw still makes a GIF rather
    // than a file that no viewer opens.
    if (writer->imageCount() == 0) {
        if (auto added = writer->addImage(graphics::Image::filled(width, height, {0, 0, 0, 255})); !added)
            return added.error();
    }
    if (auto finished = writer->finish(); !finished) return finished.error();
    return std::nullopt;
}
