#include "platform/media/VideoFrameDecoder.h"

#include "platform/media/PictureScaling.h"
#include "platform/media/VideoColour.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace media::detail {

namespace {

// A frame's planes as the scalers take them: a format that names its range
// as the plain one, the range coming from the frame (readColoursAsTagged).
PicturePlanes sourcePlanes(const AVFrame& frame) {
    PicturePlanes planes = planesOf(frame);
    planes.format = withoutRangeInName(planes.format);
    return planes;
}

}  // namespace

foundation::Result<std::unique_ptr<VideoFrameDecoder>> VideoFrameDecoder::open(const std::string& path,
                                                                             std::optional<int> trackID) {
    std::unique_ptr<VideoFrameDecoder> decoder(new VideoFrameDecoder());
    decoder->path_ = path;
    auto opened = openInput(path);
    if (!opened) return opened.error();
    decoder->format_ = std::move(*opened);
    AVFormatContext* raw = decoder->format_.get();
    const AVCodec* codec = nullptr;
    int index = AVERROR_STREAM_NOT_FOUND;
    if (!trackID) {
        index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    } else if (*trackID >= 0 && unsigned(*trackID) < raw->nb_streams &&
               raw->streams[*trackID]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        index = *trackID;
        codec = avcodec_find_decoder(raw->streams[index]->codecpar->codec_id);
        if (!codec) index = AVERROR_DECODER_NOT_FOUND;
    }
    if (index < 0) return mediaError(index, "No video in " + path);
    decoder->stream_ = raw->streams[index];
    // Only the video track is read; the demuxer skips the others' packets.
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        if (static_cast<int>(i) != index) raw->streams[i]->discard = AVDISCARD_ALL;

    decoder->codec_.reset(avcodec_alloc_context3(codec));
    if (!decoder->codec_) return mediaError(AVERROR(ENOMEM), "Cannot decode " + path);
    if (int status = avcodec_parameters_to_context(decoder->codec_.get(), decoder->stream_->codecpar); status < 0)
        return mediaError(status, "Cannot decode " + path);
    decoder->codec_->thread_count = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    decoder->codec_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    decoder->buffers_.serve(*decoder->codec_);
    if (int status = avcodec_open2(decoder->codec_.get(), codec, nullptr); status < 0)
        return mediaError(status, "Cannot decode " + path);

    const AVStream& stream = *decoder->stream_;
    decoder->startTimestamp_ = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
    AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
    if (rate.num > 0 && rate.den > 0) decoder->frameDuration_ = av_q2d(av_inv_q(rate));
    const int entries = avformat_index_get_entries_count(decoder->stream_);
    for (int i = 0; i < entries; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(decoder->stream_, i);
        if (entry && (entry->flags & AVINDEX_KEYFRAME))
            decoder->keyframes_.push_back(decoder->secondsOf(entry->timestamp));
    }
    std::sort(decoder->keyframes_.begin(), decoder->keyframes_.end());
    return decoder;
}

// A file's timestamps and start are whatever it says, so the arithmetic on
// them is done in doubles, where no value of theirs can overflow.
double VideoFrameDecoder::secondsOf(int64_t timestamp) const {
    return (static_cast<double>(timestamp) - static_cast<double>(startTimestamp_)) * av_q2d(stream_->time_base);
}

int64_t VideoFrameDecoder::timestampOf(double seconds) const {
    const double timestamp = static_cast<double>(startTimestamp_) + std::floor(seconds / av_q2d(stream_->time_base));
    if (std::isnan(timestamp)) return startTimestamp_;
    // Beyond what a timestamp holds, its nearest end (the lowest value means "no time").
    if (timestamp >= 0x1p63) return INT64_MAX;
    if (timestamp <= -0x1p63) return INT64_MIN + 1;
    return static_cast<int64_t>(timestamp);
}

double VideoFrameDecoder::keyframeAtOrBefore(double seconds) const {
    auto after = std::upper_bound(keyframes_.begin(), keyframes_.end(), seconds);
    return after == keyframes_.begin() ? 0.0 : *std::prev(after);
}

foundation::Status VideoFrameDecoder::seek(double seconds) {
    int status =
        av_seek_frame(format_.get(), stream_->index, timestampOf(std::max(seconds, 0.0)), AVSEEK_FLAG_BACKWARD);
    // Before the first keyframe there is nothing to go back to: the start.
    if (status < 0) status = av_seek_frame(format_.get(), stream_->index, startTimestamp_, AVSEEK_FLAG_BACKWARD);
    if (status < 0) return mediaError(status, "Cannot seek in " + path_);
    avcodec_flush_buffers(codec_.get());
    for (; !ahead_.empty(); ahead_.pop_front()) {
        av_packet_unref(ahead_.front().get());
        spare_.push_back(std::move(ahead_.front()));
    }
    recentTimes_.clear();
    sawKeyframe_ = false;
    latestTurnedDown_.reset();
    endOfFile_ = false;
    readError_.reset();
    draining_ = false;
    return {};
}

void VideoFrameDecoder::readAhead() {
    while (!endOfFile_ && !readError_ && ahead_.size() < kReadAhead) {
        if (spare_.empty()) {
            spare_.emplace_back(av_packet_alloc());
            if (!spare_.back()) {
                spare_.pop_back();
                readError_ = mediaError(AVERROR(ENOMEM), "Cannot decode " + path_);
                return;
            }
        }
        AVPacket* packet = spare_.back().get();
        const int status = av_read_frame(format_.get(), packet);
        if (status == AVERROR_EOF) {
            endOfFile_ = true;
            break;
        }
        if (status < 0) {
            readError_ = mediaError(status, "Cannot read " + path_);
            return;
        }
        if (packet->stream_index != stream_->index) {
            av_packet_unref(packet);
            continue;
        }
        sawKeyframe_ = sawKeyframe_ || (packet->flags & AV_PKT_FLAG_KEY);
        if (sawKeyframe_ && packet->pts != AV_NOPTS_VALUE) {
            recentTimes_.push_back(secondsOf(packet->pts));
            if (recentTimes_.size() > kRecentTimes) recentTimes_.pop_front();
        }
        ahead_.push_back(std::move(spare_.back()));
        spare_.pop_back();
    }
}

FrameNeighbours VideoFrameDecoder::neighboursOf(double seconds) const {
    FrameNeighbours around;
    for (double time : recentTimes_) {
        if (time < seconds && (!around.before || time > *around.before)) around.before = time;
        if (time > seconds && (!around.after || time < *around.after)) around.after = time;
    }
    return around;
}

foundation::Result<DecodedFramePtr> VideoFrameDecoder::next(const FrameWanted& wanted) {
    AVFramePtr frame(av_frame_alloc());
    if (!frame) return mediaError(AVERROR(ENOMEM), "Cannot decode " + path_);
    for (;;) {
        int status = avcodec_receive_frame(codec_.get(), frame.get());
        if (status == 0) {
            int64_t timestamp =
                frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
            auto decoded = std::make_shared<DecodedFrame>();
            decoded->seconds = timestamp == AV_NOPTS_VALUE ? 0 : secondsOf(timestamp);
            decoded->frame = std::move(frame);
            return DecodedFramePtr(std::move(decoded));
        }
        if (status == AVERROR_EOF) return DecodedFramePtr();
        if (status != AVERROR(EAGAIN)) return mediaError(status, "Cannot decode " + path_);
        if (draining_) return DecodedFramePtr();

        readAhead();
        // A read error shows once the packets before it are decoded.
        if (ahead_.empty() && readError_) return *readError_;
        if (ahead_.empty()) {
            draining_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            continue;
        }
        PacketPtr packet = std::move(ahead_.front());
        ahead_.pop_front();
        // The codec leaves out only frames no other frame is decoded from.
        // A packet without a time is never turned down: nothing says when it is.
        bool unwanted = false;
        if (wanted && packet->pts != AV_NOPTS_VALUE) {
            const double seconds = secondsOf(packet->pts);
            unwanted = !wanted(seconds, neighboursOf(seconds));
            if (unwanted) latestTurnedDown_ = std::max(seconds, latestTurnedDown_.value_or(seconds));
        }
        codec_->skip_frame = unwanted ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        status = avcodec_send_packet(codec_.get(), packet.get());
        av_packet_unref(packet.get());
        spare_.push_back(std::move(packet));
        // A damaged packet costs its own frames only; the decoder goes on.
        if (status < 0 && status != AVERROR(EAGAIN) && status != AVERROR_INVALIDDATA)
            return mediaError(status, "Cannot decode " + path_);
    }
}

foundation::Result<graphics::Image> VideoFrameDecoder::picture(const AVFrame& frame, int pixelWidth, int pixelHeight,
                                                               graphics::ImageOrientation orientation) {
    if (pixelWidth <= 0 || pixelHeight <= 0 || frame.width <= 0 || frame.height <= 0)
        return mediaError(AVERROR(EINVAL), "Empty video picture in " + path_);
    const bool sameSize = pixelWidth == frame.width && pixelHeight == frame.height;
    const PicturePlanes source = sourcePlanes(frame);
    scaler_.reset(sws_getCachedContext(scaler_.release(), frame.width, frame.height, source.format, pixelWidth,
                                       pixelHeight, AV_PIX_FMT_RGB32, sameSize ? SWS_POINT : SWS_BILINEAR, nullptr,
                                       nullptr, nullptr));
    if (!scaler_) return mediaError(AVERROR(EINVAL), "Cannot convert the video pictures of " + path_);
    readColoursAsTagged(*scaler_, frame);
    // RGB32 is the native-endian 0xAARRGGBB word, QImage's RGB32 layout.
    QImage bitmap(pixelWidth, pixelHeight, QImage::Format_RGB32);
    if (bitmap.isNull()) return mediaError(AVERROR(ENOMEM), "Cannot convert the video pictures of " + path_);
    PicturePlanes target{AV_PIX_FMT_RGB32, pixelWidth, pixelHeight, {bitmap.bits()}, {int(bitmap.bytesPerLine())}};
    if (foundation::Status scaled = scalePicture(scaler_.get(), source, target); !scaled)
        return mediaError(AVERROR(EINVAL), "Cannot convert the video pictures of " + path_);
    graphics::Image image(std::move(bitmap), 1.0, orientation);
    return orientation == graphics::ImageOrientation::Up ? image : image.normalized();
}

foundation::Result<PixelBuffer> VideoFrameDecoder::pixelBuffer(const AVFrame& frame) {
    if (frame.width <= 0 || frame.height <= 0) return mediaError(AVERROR_INVALIDDATA, "Empty video picture in " + path_);
    const PicturePlanes source = sourcePlanes(frame);
    bgraScaler_.reset(sws_getCachedContext(bgraScaler_.release(), frame.width, frame.height, source.format, frame.width,
                                           frame.height, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!bgraScaler_) return mediaError(AVERROR(EINVAL), "Cannot convert the video pictures of " + path_);
    readColoursAsTagged(*bgraScaler_, frame);
    PixelBuffer pixels = PixelBuffer::create(frame.width, frame.height);
    pixels.pixelFormat = kPixelFormat32BGRA;
    const PicturePlanes target{AV_PIX_FMT_BGRA, frame.width, frame.height, {pixels.bytes.data()},
                               {static_cast<int>(pixels.bytesPerRow)}};
    if (foundation::Status scaled = scalePicture(bgraScaler_.get(), source, target); !scaled) return scaled.error();
    return pixels;
}

}  // namespace media::detail
