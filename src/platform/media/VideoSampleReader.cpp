#include "platform/media/VideoSampleReader.h"

#include "platform/media/VideoFrameDecoder.h"

namespace media {

VideoSampleReader::~VideoSampleReader() = default;

foundation::Result<std::unique_ptr<VideoSampleReader>> VideoSampleReader::open(const std::string& path) {
    auto decoder = detail::VideoFrameDecoder::open(path);
    if (!decoder) return decoder.error();
    std::unique_ptr<VideoSampleReader> reader(new VideoSampleReader());
    reader->decoder_ = std::move(*decoder);
    return reader;
}

int VideoSampleReader::width() const { return decoder_->width(); }
int VideoSampleReader::height() const { return decoder_->height(); }

foundation::Result<std::optional<VideoSample>> VideoSampleReader::next() {
    auto decoded = decoder_->next();
    if (!decoded) return decoded.error();
    if (!*decoded) return std::optional<VideoSample>();
    auto pixels = decoder_->pixelBuffer(*(*decoded)->frame);
    if (!pixels) return pixels.error();
    VideoSample sample;
    sample.pixels = std::move(*pixels);
    sample.presentationTime = MediaTime::fromSeconds((*decoded)->seconds, kTimescale);
    return std::optional<VideoSample>(std::move(sample));
}

}  // namespace media
