#include "platform/media/VideoCompositionReader.h"

#include "platform/media/VideoFrameDecoder.h"

#include <QImage>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace media {

// 32BGRA bytes are the native 0xAARRGGBB word Qt's RGB32 images hold.
static_assert(std::endian::native == std::endian::little, "32BGRA pictures are drawn as Qt's native RGB32");

namespace {
// Frame times are rounded by the container's time base; a frame starts "at
// or before" a time within this much.
constexpr double kTimeSlack = 1e-6;
}  // namespace

// The frames one composition track shows, read forward through its
// segments: each segment's source is decoded from the keyframe before the
// segment's start.
class VideoCompositionReader::TrackPictures {
public:
    explicit TrackPictures(const CompositionTrack& track) : segments_(track.segments()) {}

    // The picture shown at `time` (no earlier than the time asked before);
    // null in a gap or where the source has no frame.
    foundation::Result<const PixelBuffer*> pictureAt(const MediaTime& time) {
        while (index_ < segments_.size() && !(time < segments_[index_].target.end())) ++index_;
        if (index_ == segments_.size() || time < segments_[index_].target.start || segments_[index_].isEmpty())
            return nullptr;
        const CompositionSegment& segment = segments_[index_];
        if (openSegment_ != index_)
            if (foundation::Status opened = openAt(segment); !opened) return opened.error();
        const double source = (segment.sourceStart + (time - segment.target.start)).seconds();
        // On to the last frame that starts at or before the source time (the
        // first one, when even that starts later).
        for (;;) {
            if (!next_ && !ended_) {
                auto decoded = decoder_->next();
                if (!decoded) return decoded.error();
                next_ = std::move(*decoded);
                ended_ = !next_;
            }
            if (!next_ || (shown_ && next_->seconds > source + kTimeSlack)) break;
            shown_ = std::exchange(next_, nullptr);
        }
        if (!shown_) return nullptr;
        if (pixelsOf_ != shown_) {
            auto pixels = decoder_->pixelBuffer(*shown_->frame);
            if (!pixels) return pixels.error();
            pixels_ = std::move(*pixels);
            pixelsOf_ = shown_;
        }
        return &pixels_;
    }

private:
    foundation::Status openAt(const CompositionSegment& segment) {
        const bool sameSource =
            decoder_ && openPath_ == segment.sourcePath && openTrackID_ == segment.sourceTrackID;
        if (!sameSource) {
            auto decoder = detail::VideoFrameDecoder::open(segment.sourcePath, segment.sourceTrackID);
            if (!decoder) return decoder.error();
            decoder_ = std::move(*decoder);
            openPath_ = segment.sourcePath;
            openTrackID_ = segment.sourceTrackID;
        }
        if (foundation::Status sought = decoder_->seek(segment.sourceStart.seconds()); !sought) return sought;
        openSegment_ = index_;
        shown_.reset();
        next_.reset();
        ended_ = false;
        return {};
    }

    std::vector<CompositionSegment> segments_;
    size_t index_ = 0;
    std::optional<size_t> openSegment_;
    std::unique_ptr<detail::VideoFrameDecoder> decoder_;
    std::string openPath_;
    int openTrackID_ = -1;
    detail::DecodedFramePtr shown_, next_;
    bool ended_ = false;
    PixelBuffer pixels_;
    detail::DecodedFramePtr pixelsOf_;
};

VideoCompositionReader::~VideoCompositionReader() = default;

foundation::Result<std::unique_ptr<VideoCompositionReader>> VideoCompositionReader::open(
    Composition composition, VideoComposition videoComposition) {
    if (foundation::Status valid = videoComposition.validate(composition); !valid) return valid.error();
    std::unique_ptr<VideoCompositionReader> reader(new VideoCompositionReader());
    reader->composition_ = std::move(composition);
    reader->video_ = std::move(videoComposition);
    const VideoComposition& video = reader->video_;
    reader->width_ = std::max(1, int(std::lround(video.renderSize.width * video.renderScale)));
    reader->height_ = std::max(1, int(std::lround(video.renderSize.height * video.renderScale)));
    for (const CompositionTrack& track : reader->composition_.tracks())
        if (track.mediaType() == MediaType::Video)
            reader->tracks_.emplace(track.trackID(), std::make_unique<TrackPictures>(track));
    return reader;
}

foundation::Result<std::optional<VideoSample>> VideoCompositionReader::next() {
    if (video_.instructions.empty()) return std::optional<VideoSample>();
    const MediaTime time = MediaTime::make(frameIndex_ * video_.frameDuration.value, video_.frameDuration.timescale);
    if (!(time < video_.duration())) return std::optional<VideoSample>();
    ++frameIndex_;
    std::vector<ComposedLayer> layers;
    if (const VideoCompositionInstruction* instruction = video_.instructionAtTime(time)) {
        for (const VideoCompositionLayerInstruction& layer : instruction->layerInstructions) {
            const float opacity = layer.opacityAtTime(time);
            if (opacity <= 0) continue;
            auto picture = tracks_.at(layer.trackID())->pictureAt(time);
            if (!picture) return picture.error();
            if (*picture) layers.push_back(ComposedLayer{*picture, layer.transformAtTime(time), opacity});
        }
    }
    VideoSample sample;
    sample.pixels = composeLayers(width_, height_, video_.renderScale, layers);
    sample.presentationTime = time;
    return std::optional<VideoSample>(std::move(sample));
}

PixelBuffer composeLayers(int width, int height, double renderScale, const std::vector<ComposedLayer>& topFirst) {
    PixelBuffer composed = PixelBuffer::create(width, height);
    composed.pixelFormat = kPixelFormat32BGRA;
    QImage canvas(composed.bytes.data(), width, height, qsizetype(composed.bytesPerRow), QImage::Format_RGB32);
    canvas.fill(Qt::black);  // opaque: RGB32 wants its alpha byte set
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    for (auto layer = topFirst.rbegin(); layer != topFirst.rend(); ++layer) {
        if (!layer->picture || layer->picture->width <= 0 || layer->picture->height <= 0) continue;
        const PixelBuffer& picture = *layer->picture;
        const QImage source(picture.bytes.data(), picture.width, picture.height, qsizetype(picture.bytesPerRow),
                            QImage::Format_RGB32);
        painter.setOpacity(std::clamp(double(layer->opacity), 0.0, 1.0));
        painter.setTransform(layer->transform.toQTransform() * QTransform::fromScale(renderScale, renderScale));
        painter.drawImage(QPointF(0, 0), source);
    }
    painter.end();
    return composed;
}

}  // namespace media
