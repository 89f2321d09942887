#include "platform/media/AacEncoder.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace media::detail {

using foundation::Status;

foundation::Result<std::unique_ptr<AacEncoder>> AacEncoder::open(const AacAudioSettings& settings,
                                                                 AVFormatContext& muxer, AVStream& stream) {
    const std::string context = "Cannot encode AAC sound";
    if (settings.sampleRate <= 0 || settings.channelCount < 1 || settings.channelCount > 2 || settings.bitRate <= 0)
        return mediaError(AVERROR(EINVAL), context);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) return mediaError(AVERROR_ENCODER_NOT_FOUND, context);
    std::unique_ptr<AacEncoder> encoder(new AacEncoder());
    encoder->codec_.reset(avcodec_alloc_context3(codec));
    if (!encoder->codec_) return mediaError(AVERROR(ENOMEM), context);
    AVCodecContext& c = *encoder->codec_;
    c.sample_fmt = AV_SAMPLE_FMT_FLTP;
    c.sample_rate = settings.sampleRate;
    av_channel_layout_default(&c.ch_layout, settings.channelCount);
    c.bit_rate = settings.bitRate;
    c.time_base = AVRational{1, settings.sampleRate};
    if (muxer.oformat->flags & AVFMT_GLOBALHEADER) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (int status = avcodec_open2(&c, codec, nullptr); status < 0) return mediaError(status, context);
    if (int status = avcodec_parameters_from_context(stream.codecpar, &c); status < 0)
        return mediaError(status, context);
    stream.time_base = c.time_base;
    encoder->fifo_ = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, settings.channelCount, c.frame_size * 4);
    if (!encoder->fifo_) return mediaError(AVERROR(ENOMEM), context);
    return encoder;
}

AacEncoder::~AacEncoder() {
    if (fifo_) av_audio_fifo_free(fifo_);
}

Status AacEncoder::push(const float* interleaved, size_t frames, int64_t start, std::vector<PacketPtr>& packets) {
    const int channels = codec_->ch_layout.nb_channels;
    if (next_ < 0) next_ = encodedUntil_ = std::max<int64_t>(start, 0);
    // Frames before what the track already holds are dropped.
    size_t skip = 0;
    if (start < next_) {
        skip = static_cast<size_t>(std::min<int64_t>(next_ - start, static_cast<int64_t>(frames)));
        start = next_;
    }
    std::vector<std::vector<float>> planes(static_cast<size_t>(channels));
    const size_t gap = static_cast<size_t>(start - next_);
    for (int ch = 0; ch < channels; ++ch) {
        std::vector<float>& plane = planes[static_cast<size_t>(ch)];
        plane.assign(gap, 0.0f);
        plane.reserve(gap + frames - skip);
        for (size_t i = skip; i < frames; ++i) plane.push_back(interleaved[i * size_t(channels) + size_t(ch)]);
    }
    const size_t total = gap + frames - skip;
    if (total == 0) return {};
    std::vector<void*> data;
    for (auto& plane : planes) data.push_back(plane.data());
    if (av_audio_fifo_write(fifo_, data.data(), static_cast<int>(total)) < static_cast<int>(total))
        return mediaError(AVERROR(ENOMEM), "Cannot encode AAC sound");
    next_ += static_cast<int64_t>(total);
    while (av_audio_fifo_size(fifo_) >= codec_->frame_size)
        if (Status encoded = encodeFrames(codec_->frame_size, packets); !encoded) return encoded;
    return {};
}

Status AacEncoder::encodeFrames(int frames, std::vector<PacketPtr>& packets) {
    AVFramePtr frame(av_frame_alloc());
    if (!frame) return mediaError(AVERROR(ENOMEM), "Cannot encode AAC sound");
    frame->nb_samples = frames;
    frame->format = codec_->sample_fmt;
    frame->sample_rate = codec_->sample_rate;
    av_channel_layout_copy(&frame->ch_layout, &codec_->ch_layout);
    if (int status = av_frame_get_buffer(frame.get(), 0); status < 0)
        return mediaError(status, "Cannot encode AAC sound");
    if (av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->data), frames) < frames)
        return mediaError(AVERROR(EIO), "Cannot encode AAC sound");
    frame->pts = encodedUntil_;
    encodedUntil_ += frames;
    return drain(frame.get(), packets);
}

Status AacEncoder::drain(AVFrame* frame, std::vector<PacketPtr>& packets) {
    if (int status = avcodec_send_frame(codec_.get(), frame); status < 0 && status != AVERROR_EOF)
        return mediaError(status, "Cannot encode AAC sound");
    for (;;) {
        PacketPtr packet(av_packet_alloc());
        if (!packet) return mediaError(AVERROR(ENOMEM), "Cannot encode AAC sound");
        const int status = avcodec_receive_packet(codec_.get(), packet.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return {};
        if (status < 0) return mediaError(status, "Cannot encode AAC sound");
        packets.push_back(std::move(packet));
    }
}

Status AacEncoder::flush(std::vector<PacketPtr>& packets) {
    if (const int left = av_audio_fifo_size(fifo_); left > 0)
        if (Status encoded = encodeFrames(left, packets); !encoded) return encoded;
    return drain(nullptr, packets);
}

}  // namespace media::detail
