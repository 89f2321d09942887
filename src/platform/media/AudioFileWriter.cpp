#include "platform/media/AudioFileWriter.h"

#include "platform/foundation/TemporaryClaim.h"
#include "platform/media/FFmpeg.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace media {

struct AudioFileWriter::State {
    explicit State(foundation::TemporaryClaim temporary) : temporary(std::move(temporary)) {}
    // Where the file grows, held until it is renamed into place.
    foundation::TemporaryClaim temporary;
    OutputContextPtr output;
    CodecContextPtr encoder;
    AVStream* stream = nullptr;
    AVFramePtr frame;
    PacketPtr packet;
    int64_t nextPts = 0;
};

namespace {

// Enough for speech and music at the quality recordings ask for.
int64_t defaultBitRate(int channelCount) { return channelCount == 1 ? 96'000 : 160'000; }

}  // namespace

AudioFileWriter::AudioFileWriter(std::string path, std::unique_ptr<State> state, int sampleRate, int channelCount)
    : path_(std::move(path)),
      temporaryPath_(state->temporary.path()),
      state_(std::move(state)),
      sampleRate_(sampleRate),
      channelCount_(channelCount),
      pending_(size_t(channelCount)) {}

AudioFileWriter::~AudioFileWriter() { cancel(); }

foundation::Result<std::unique_ptr<AudioFileWriter>> AudioFileWriter::create(const std::string& path, int sampleRate,
                                                                             int channelCount, int64_t bitRate) {
    quietFFmpegLog();
    if (sampleRate <= 0 || channelCount < 1 || channelCount > 2)
        return mediaError(AVERROR(EINVAL), "Unsupported recording format");
    auto claim = foundation::TemporaryClaim::create(path, foundation::TemporaryClaim::Kind::File);
    if (!claim) return claim.error();
    auto state = std::make_unique<State>(std::move(*claim));
    const std::string temporary = state->temporary.path();

    AVFormatContext* output = nullptr;
    int status = avformat_alloc_output_context2(&output, nullptr, "ipod", temporary.c_str());
    if (status < 0) return mediaError(status, "Cannot make " + path);
    state->output.reset(output);

    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) return mediaError(AVERROR_ENCODER_NOT_FOUND, "No AAC encoder");
    state->encoder.reset(avcodec_alloc_context3(codec));
    AVCodecContext* encoder = state->encoder.get();
    if (!encoder) return mediaError(AVERROR(ENOMEM), "Cannot make the AAC encoder");
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = sampleRate;
    av_channel_layout_default(&encoder->ch_layout, channelCount);
    encoder->bit_rate = bitRate > 0 ? bitRate : defaultBitRate(channelCount);
    encoder->profile = FF_PROFILE_AAC_LOW;
    encoder->time_base = AVRational{1, sampleRate};
    if (output->oformat->flags & AVFMT_GLOBALHEADER) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((status = avcodec_open2(encoder, codec, nullptr)) < 0) return mediaError(status, "Cannot open the AAC encoder");

    state->stream = avformat_new_stream(output, nullptr);
    if (!state->stream) return mediaError(AVERROR(ENOMEM), "Cannot add the sound track");
    state->stream->time_base = encoder->time_base;
    if ((status = avcodec_parameters_from_context(state->stream->codecpar, encoder)) < 0)
        return mediaError(status, "Cannot describe the sound track");

    if ((status = avio_open(&output->pb, temporary.c_str(), AVIO_FLAG_WRITE)) < 0)
        return mediaError(status, "Cannot write " + path);
    if ((status = avformat_write_header(output, nullptr)) < 0) return mediaError(status, "Cannot write " + path);
    state->frame.reset(av_frame_alloc());
    state->packet.reset(av_packet_alloc());
    if (!state->frame || !state->packet) return mediaError(AVERROR(ENOMEM), "Cannot write " + path);
    return std::unique_ptr<AudioFileWriter>(new AudioFileWriter(path, std::move(state), sampleRate, channelCount));
}

foundation::Status AudioFileWriter::fail(foundation::Error error) {
    failure_ = error;
    cancel();
    return error;
}

foundation::Status AudioFileWriter::append(const float* interleaved, size_t frames) {
    if (failure_) return *failure_;
    if (!open_) return mediaError(AVERROR(EINVAL), "The recording is closed");
    for (size_t f = 0; f < frames; ++f)
        for (int c = 0; c < channelCount_; ++c)
            pending_[size_t(c)].push_back(std::clamp(interleaved[f * size_t(channelCount_) + size_t(c)], -1.0f, 1.0f));
    framesAppended_ += int64_t(frames);
    return encodeBuffered(false);
}

foundation::Status AudioFileWriter::encodeBuffered(bool flush) {
    AVCodecContext* encoder = state_->encoder.get();
    const size_t frameSize = size_t(encoder->frame_size > 0 ? encoder->frame_size : 1024);
    auto drainPackets = [&]() -> foundation::Status {
        while (true) {
            int status = avcodec_receive_packet(encoder, state_->packet.get());
            if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return {};
            if (status < 0) return mediaError(status, "Cannot encode the recording");
            av_packet_rescale_ts(state_->packet.get(), encoder->time_base, state_->stream->time_base);
            state_->packet->stream_index = state_->stream->index;
            status = av_interleaved_write_frame(state_->output.get(), state_->packet.get());
            if (status < 0) return mediaError(status, "Cannot write " + path_);
            // avio buffers: a full disk shows in its error before a write returns one.
            if (state_->output->pb->error < 0) return mediaError(state_->output->pb->error, "Cannot write " + path_);
        }
    };
    while (pending_[0].size() >= frameSize || (flush && !pending_[0].empty())) {
        const size_t count = std::min(frameSize, pending_[0].size());
        AVFrame* frame = state_->frame.get();
        av_frame_unref(frame);
        frame->nb_samples = int(count);
        frame->format = encoder->sample_fmt;
        frame->sample_rate = sampleRate_;
        av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
        int status = av_frame_get_buffer(frame, 0);
        if (status < 0) return fail(mediaError(status, "Cannot encode the recording"));
        for (int c = 0; c < channelCount_; ++c) {
            auto& samples = pending_[size_t(c)];
            std::copy_n(samples.begin(), count, reinterpret_cast<float*>(frame->data[c]));
            samples.erase(samples.begin(), samples.begin() + std::ptrdiff_t(count));
        }
        frame->pts = state_->nextPts;
        state_->nextPts += int64_t(count);
        if ((status = avcodec_send_frame(encoder, frame)) < 0)
            return fail(mediaError(status, "Cannot encode the recording"));
        if (auto drained = drainPackets(); !drained) return fail(drained.error());
    }
    if (flush) {
        if (int status = avcodec_send_frame(encoder, nullptr); status < 0)
            return fail(mediaError(status, "Cannot encode the recording"));
        if (auto drained = drainPackets(); !drained) return fail(drained.error());
    }
    return {};
}

foundation::Status AudioFileWriter::finish() {
    if (failure_) return *failure_;
    if (!open_) return mediaError(AVERROR(EINVAL), "The recording is closed");
    if (auto flushed = encodeBuffered(true); !flushed) return flushed;
    AVFormatContext* output = state_->output.get();
    if (int status = av_write_trailer(output); status < 0) return fail(mediaError(status, "Cannot write " + path_));
    avio_flush(output->pb);
    if (output->pb->error < 0) return fail(mediaError(output->pb->error, "Cannot write " + path_));
    if (int status = avio_closep(&output->pb); status < 0) return fail(mediaError(status, "Cannot write " + path_));
    state_->output.reset();
    open_ = false;
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        state_->temporary.discard();
        failure_ = foundation::Error::posix(error, "Cannot move the recording to " + path_);
        return *failure_;
    }
    state_->temporary.release();
    return {};
}

void AudioFileWriter::cancel() {
    if (!open_) return;
    open_ = false;
    state_->output.reset();
    state_->temporary.discard();
}

}  // namespace media
