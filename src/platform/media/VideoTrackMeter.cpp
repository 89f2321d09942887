#include "platform/media/VideoTrackMeter.h"

#include "platform/media/VideoEncoding.h"

namespace media {

using foundation::Status;

namespace {

// What a packet of the encoder takes in a QuickTime track: its NAL units
// come between start codes (three or four bytes), and the file keeps each
// behind a length of four bytes instead.
int64_t bytesInTrack(const AVPacket& packet) {
    const uint8_t* data = packet.data;
    const int64_t size = packet.size;
    int64_t bytes = size, units = 0;
    for (int64_t at = 0; at + 2 < size;) {
        if (data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1) {
            const bool longCode = at > 0 && data[at - 1] == 0;
            bytes -= longCode ? 4 : 3;
            units += 1;
            at += 3;
        } else {
            at += 1;
        }
    }
    return units == 0 ? size : bytes + 4 * units;
}

}  // namespace

foundation::Result<std::unique_ptr<VideoTrackMeter>> VideoTrackMeter::open(const VideoSettings& settings) {
    std::unique_ptr<VideoTrackMeter> meter(new VideoTrackMeter());
    // Our movies are QuickTime files, which keep the parameter sets once.
    // The encoder is a small one: a meter is made while the user does other
    // things, and stopped at the next picture.
    if (Status opened =
            detail::openVideoEncoder(settings, true, meter->encoder_, detail::EncoderFootprint::Small);
        !opened)
        return opened.error();
    meter->frame_.reset(av_frame_alloc());
    if (!meter->frame_) return mediaError(AVERROR(ENOMEM), "Cannot measure pictures");
    meter->frame_->format = AV_PIX_FMT_YUV420P;
    meter->frame_->width = settings.width;
    meter->frame_->height = settings.height;
    if (int status = av_frame_get_buffer(meter->frame_.get(), 0); status < 0)
        return mediaError(status, "Cannot measure pictures");
    return meter;
}

VideoTrackMeter::~VideoTrackMeter() = default;

Status VideoTrackMeter::append(const PixelBuffer& picture, bool key) {
    if (!encoder_) return mediaError(AVERROR(EINVAL), "The pictures were measured already");
    if (int status = av_frame_make_writable(frame_.get()); status < 0)
        return mediaError(status, "Cannot convert a picture");
    if (!detail::copyPictureInto(picture, *frame_))
        return mediaError(AVERROR(EINVAL), "A picture of " + std::to_string(picture.width) + "x" +
                                               std::to_string(picture.height) + " does not fit the movie");
    // Times in frame periods, as a movie's pictures follow one another.
    frame_->pts = appended_++;
    frame_->pict_type = key ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    return encode(frame_.get());
}

foundation::Result<std::vector<int64_t>> VideoTrackMeter::finish() {
    if (!encoder_) return mediaError(AVERROR(EINVAL), "The pictures were measured already");
    if (Status flushed = encode(nullptr); !flushed) return flushed.error();
    encoder_.reset();
    frame_.reset();
    if (int64_t(bytes_.size()) != appended_) return mediaError(AVERROR_BUG, "The encoder lost pictures");
    return std::move(bytes_);
}

Status VideoTrackMeter::encode(AVFrame* frame) {
    if (int status = avcodec_send_frame(encoder_.get(), frame); status < 0)
        return mediaError(status, "Cannot encode a picture");
    for (;;) {
        PacketPtr packet(av_packet_alloc());
        if (!packet) return mediaError(AVERROR(ENOMEM), "Cannot encode a picture");
        const int status = avcodec_receive_packet(encoder_.get(), packet.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return {};
        if (status < 0) return mediaError(status, "Cannot encode a picture");
        // Without reordering, the pictures come out in the order they went in.
        if (packet->pts < 0 || packet->pts != int64_t(bytes_.size()))
            return mediaError(AVERROR_BUG, "The encoder reordered pictures");
        bytes_.push_back(bytesInTrack(*packet));
    }
}

}  // namespace media
