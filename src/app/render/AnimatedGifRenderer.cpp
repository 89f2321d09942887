#include "app/render/AnimatedGifRenderer.h"

#include "app/core/FileUtil.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/RenderOutput.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/GifWriter.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

std::vector<MovieExportType> AnimatedGifRenderer::getSupportedExportTypes() const {
    return {MovieExportType(foundation::localized("Animated GIF"), std::nullopt, kPictureSize, kUTTypeGIF, "gif")};
}

int64_t AnimatedGifRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType&) {
    const ExpandedFrames frames = expandedFrames();
    if (frames.count() < 1) return kNoEstimate;
    // What a GIF takes depends on what its pictures show far more than on
    // their number (a flat drawing costs a few kilobytes a picture, a
    // dithered photograph or a theme card a hundred and more). The GIF's
    // pictures go by frame. The two frames it shows most often (held title
    // and credits cards, say) and two of the others are drawn as the export
    // draws them and measured with the encoder the export uses; the others'
    // pictures cost what those two do on average.
    const int64_t pictures = std::min(frames.count(), kMaximumPictures);
    struct Shown {
        int64_t firstPicture = 0;
        int64_t pictures = 0;
    };
    std::vector<Shown> shown;
    std::map<const Frame*, size_t> byFrame;
    for (int64_t k = 0; k < pictures; ++k) {
        const Frame* frame = frames.frameAt(sourcePositionOfPicture(k, pictures, frames.count())).get();
        auto [at, added] = byFrame.try_emplace(frame, shown.size());
        if (added) shown.push_back({k, 0});
        shown[at->second].pictures += 1;
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const Shown& a, const Shown& b) { return a.pictures > b.pictures; });
    RenderImageProducer producer(project());
    std::optional<size_t> containerBytes;
    auto measure = [&](const Shown& frame) -> std::optional<double> {
        const graphics::Image sample = gifPicture(producer, frames, frame.firstPicture, pictures);
        if (sample.isNull()) return std::nullopt;
        auto footprint = graphics::GifWriter::footprintOfPicture(sample);
        if (!footprint) return std::nullopt;
        containerBytes = footprint->containerBytes;
        return double(footprint->pictureBytes);
    };
    constexpr size_t kMostShown = 2;
    double bytes = 0, measuredPictures = 0;
    for (size_t i = 0; i < shown.size() && i < kMostShown; ++i) {
        if (auto picture = measure(shown[i])) {
            bytes += *picture * double(shown[i].pictures);
            measuredPictures += double(shown[i].pictures);
        }
    }
    // Of the others, those a third and two thirds of the way along.
    double othersBytes = 0, othersMeasured = 0, othersPictures = 0;
    const size_t others = shown.size() - std::min(shown.size(), kMostShown);
    for (size_t i = kMostShown; i < shown.size(); ++i) othersPictures += double(shown[i].pictures);
    for (size_t i : std::set<size_t>{others / 3, others * 2 / 3}) {
        if (i >= others) continue;
        if (auto picture = measure(shown[kMostShown + i])) {
            othersBytes += *picture;
            othersMeasured += 1;
        }
    }
    if (!containerBytes) return kNoEstimate;
    const double perOtherPicture =
        othersMeasured > 0 ? othersBytes / othersMeasured : bytes / std::max(measuredPictures, 1.0);
    return kilobytesEstimate(double(*containerBytes) + bytes + othersPictures * perOtherPicture);
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
