#include "platform/media/VideoSampleReader.h"

#include "platform/media/PictureScaling.h"
#include "platform/media/VideoFrameDecoder.h"

namespace media {

struct VideoSampleReader::Converter {
    ScaleContextPtr scaler;
};

VideoSampleReader::~VideoSampleReader() = default;

foundation::Result<std::unique_ptr<VideoSampleReader>> VideoSampleReader::open(const std::string& path) {
    auto decoder = detail::VideoFrameDecoder::open(path);
    if (!decoder) return decoder.error();
    std::unique_ptr<VideoSampleReader> reader(new VideoSampleReader());
    reader->path_ = path;
    reader->decoder_ = std::move(*decoder);
    reader->converter_ = std::make_unique<Converter>();
    return reader;
}

int VideoSampleReader::width() const { return decoder_->width(); }
int VideoSampleReader::height() const { return decoder_->height(); }

foundation::Result<std::optional<VideoSample>> VideoSampleReader::next() {
    auto decoded = decoder_->next();
    if (!decoded) return decoded.error();
    if (!*decoded) return std::optional<VideoSample>();
    const AVFrame& frame = *(*decoded)->frame;
    if (frame.width <= 0 || frame.height <= 0)
        return mediaError(AVERROR_INVALIDDATA, "Empty video picture in " + path_);
    converter_->scaler.reset(sws_getCachedContext(converter_->scaler.release(), frame.width, frame.height,
                                                  static_cast<AVPixelFormat>(frame.format), frame.width, frame.height,
                                                  AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!converter_->scaler) return mediaError(AVERROR(EINVAL), "Cannot convert the video pictures of " + path_);
    VideoSample sample;
    sample.pixels = PixelBuffer::create(frame.width, frame.height);
    sample.pixels.pixelFormat = kPixelFormat32BGRA;
    const PicturePlanes target{AV_PIX_FMT_BGRA,
                               frame.width,
                               frame.height,
                               {sample.pixels.bytes.data()},
                               {static_cast<int>(sample.pixels.bytesPerRow)}};
    if (foundation::Status scaled = scalePicture(converter_->scaler.get(), planesOf(frame), target); !scaled)
        return scaled.error();
    sample.presentationTime = MediaTime::fromSeconds((*decoded)->seconds, kTimescale);
    return std::optional<VideoSample>(std::move(sample));
}

}  // namespace media
