#include "app/render/AnimatedGifRenderer.h"

#include "app/core/FileUtil.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/RenderOutput.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/GifWriter.h"

#include <algorithm>
#include <map>
#include <vector>

std::vector<MovieExportType> AnimatedGifRenderer::getSupportedExportTypes() const {
    return {MovieExportType(foundation::localized("Animated GIF"), std::nullopt, kPictureSize, kUTTypeGIF, "gif")};
}

std::optional<double> AnimatedGifRenderer::estimatedBytes(const EstimateBasis& basis, const MovieExportType&,
                                                          const foundation::Progress& progress) {
    const ExpandedFrames& frames = basis.snapshot().frames;
    if (frames.count() < 1) return std::nullopt;
    // What a GIF takes depends on what its pictures show far more than on
    // their number: a flat drawing costs a few kilobytes a picture, a
    // dithered photograph or a theme card a hundred and more, and the same
    // frame darkened by a fade far less. Every picture is its own, with its
    // own palette: what the GIF holds is what its pictures take one by one.
    const int64_t pictures = std::min(frames.count(), kMaximumPictures);
    RenderImageProducer producer(project(), basis.snapshot().pictures);
    std::map<std::pair<const Frame*, float>, double> measured;  // by frame and fade
    std::optional<size_t> containerBytes;
    double bytes = 0;
    for (int64_t k = 0; k < pictures; ++k) {
        if (progress.isCancelled()) return std::nullopt;
        const int64_t position = sourcePositionOfPicture(k, pictures, frames.count());
        const std::pair<const Frame*, float> shown{
            frames.frameAt(position).get(), producer.calculateAlphaForFadeforFrameAtIndex(position, frames.count())};
        auto known = measured.find(shown);
        if (known == measured.end()) {
            // A picture that cannot be drawn is left out of the GIF.
            double pictureBytes = 0;
            if (const graphics::Image picture = gifPicture(producer, frames, k, pictures); !picture.isNull()) {
                auto footprint = graphics::GifWriter::footprintOfPicture(picture);
                if (!footprint) return std::nullopt;
                containerBytes = footprint->containerBytes;
                pictureBytes = double(footprint->pictureBytes);
            }
            known = measured.emplace(shown, pictureBytes).first;
        }
        bytes += known->second;
    }
    if (!containerBytes) return std::nullopt;
    return double(*containerBytes) + bytes;
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
    if (frames.count() < 1) return failWithError(renderoutput::noFramesError(kErrorDomain, snapshot().unreadable));
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
    producer.setLeftOutFiles(&leftOutFiles());
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
