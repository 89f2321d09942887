#include "platform/media/AudioPcmReader.h"

#include "platform/media/FFmpeg.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

namespace media {

namespace {

constexpr int kMaximumSampleRate = 384000;

AVChannelLayout layoutOf(const AVChannelLayout& given) {
    AVChannelLayout layout{};
    if (given.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&given) == 0)
        av_channel_layout_default(&layout, given.nb_channels);
    else
        av_channel_layout_copy(&layout, &given);
    return layout;
}

}  // namespace

// Decodes and converts ahead of the reader: converted frames wait in a
// buffer whose first frame's output position is known once the first
// decoded frame after an open or a seek has told its time.
class AudioPcmReader::Decoder {
public:
    std::string path;
    FormatContextPtr format;
    CodecContextPtr codec;
    PacketPtr packet;
    AVFramePtr frame;
    ResampleContextPtr resampler;
    AVStream* stream = nullptr;
    int64_t origin = 0;  // the track's first timestamp
    int outRate = 0;
    int outChannels = 0;
    // Channels the resampler makes: 1 for a mono track read as stereo, which
    // is then copied into both channels.
    int convertedChannels = 0;

    // Converted frames, interleaved; `consumed` of them handed out already.
    std::vector<float> buffer;
    size_t consumed = 0;
    // The output frame of the first frame not handed out; meaningful once positioned.
    int64_t bufferStart = 0;
    bool positioned = false;

    size_t available() const { return buffer.size() / outChannels - consumed; }
    void drop(size_t frames) {
        consumed += frames;
        bufferStart += static_cast<int64_t>(frames);
        if (consumed * outChannels * 2 > buffer.size()) {
            buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(consumed * outChannels));
            consumed = 0;
        }
    }

    foundation::Status restartNear(int64_t frame);
    // Converts at least one more decoded frame; false at the end of the track.
    foundation::Result<bool> decodeMore();

private:
    bool draining_ = false;
    bool flushed_ = false;
    int resamplerRate_ = 0;
    int resamplerFormat_ = -1;
    AVChannelLayout resamplerLayout_{};

    foundation::Status convert(const AVFrame& decoded);
    foundation::Status configureResampler(const AVFrame& decoded);
    void append(const float* converted, int frames);
    void flushResampler();
};

foundation::Status AudioPcmReader::Decoder::configureResampler(const AVFrame& decoded) {
    AVChannelLayout inLayout = layoutOf(decoded.ch_layout);
    const bool same = resampler && resamplerRate_ == decoded.sample_rate && resamplerFormat_ == decoded.format &&
                      av_channel_layout_compare(&resamplerLayout_, &inLayout) == 0;
    if (same) {
        av_channel_layout_uninit(&inLayout);
        return {};
    }
    if (decoded.sample_rate <= 0 || decoded.sample_rate > kMaximumSampleRate || inLayout.nb_channels <= 0) {
        av_channel_layout_uninit(&inLayout);
        return mediaError(AVERROR_INVALIDDATA, "Unusable audio format in " + path);
    }
    convertedChannels = (outChannels == 2 && inLayout.nb_channels == 1) ? 1 : outChannels;
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, convertedChannels);
    SwrContext* raw = nullptr;
    int status = swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_FLT, outRate, &inLayout,
                                     static_cast<AVSampleFormat>(decoded.format), decoded.sample_rate, 0, nullptr);
    ResampleContextPtr fresh(raw);
    if (status >= 0) status = swr_init(fresh.get());
    av_channel_layout_uninit(&outLayout);
    if (status < 0) {
        av_channel_layout_uninit(&inLayout);
        return mediaError(status, "Cannot convert the audio of " + path);
    }
    resampler = std::move(fresh);
    resamplerRate_ = decoded.sample_rate;
    resamplerFormat_ = decoded.format;
    av_channel_layout_uninit(&resamplerLayout_);
    resamplerLayout_ = inLayout;
    return {};
}

void AudioPcmReader::Decoder::append(const float* converted, int frames) {
    if (frames <= 0) return;
    if (convertedChannels == outChannels) {
        buffer.insert(buffer.end(), converted, converted + static_cast<size_t>(frames) * outChannels);
        return;
    }
    const size_t at = buffer.size();
    buffer.resize(at + static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) buffer[at + 2 * i] = buffer[at + 2 * i + 1] = converted[i];
}

foundation::Status AudioPcmReader::Decoder::convert(const AVFrame& decoded) {
    if (auto status = configureResampler(decoded); !status) return status;
    const int inRate = decoded.sample_rate;
    int offset = 0;
    if (!positioned) {
        // The frame's place in input samples; then skip to the next input
        // sample that falls exactly on an output sample, so output frames
        // after a seek land where a decode from the start puts them.
        const int64_t timestamp = decoded.best_effort_timestamp;
        const int64_t inputSample =
            timestamp == AV_NOPTS_VALUE
                ? 0
                : av_rescale_q_rnd(timestamp - origin, stream->time_base, AVRational{1, inRate},
                                   static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
        const int64_t period = inRate / std::gcd(inRate, outRate);
        const int64_t skip = ((period - inputSample % period) % period + period) % period;
        if (skip >= decoded.nb_samples) return {};
        offset = static_cast<int>(skip);
        bufferStart = (inputSample + skip) / period * (outRate / std::gcd(inRate, outRate));
        positioned = true;
        swr_init(resampler.get());
    }
    const int bytesPerSample = av_get_bytes_per_sample(static_cast<AVSampleFormat>(decoded.format));
    const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(decoded.format));
    const int channels = decoded.ch_layout.nb_channels;
    std::vector<const uint8_t*> planes(static_cast<size_t>(planar ? channels : 1));
    for (size_t plane = 0; plane < planes.size(); ++plane)
        planes[plane] =
            decoded.extended_data[plane] + static_cast<size_t>(offset) * bytesPerSample * (planar ? 1 : channels);
    const int inFrames = decoded.nb_samples - offset;
    const int room = swr_get_out_samples(resampler.get(), inFrames);
    if (room < 0) return mediaError(room, "Cannot convert the audio of " + path);
    std::vector<float> converted(static_cast<size_t>(room) * convertedChannels);
    auto* out = reinterpret_cast<uint8_t*>(converted.data());
    const int made = swr_convert(resampler.get(), &out, room, planes.data(), inFrames);
    if (made < 0) return mediaError(made, "Cannot convert the audio of " + path);
    append(converted.data(), made);
    return {};
}

void AudioPcmReader::Decoder::flushResampler() {
    if (!resampler || !positioned) return;
    std::vector<float> converted(4096 * static_cast<size_t>(convertedChannels));
    auto* out = reinterpret_cast<uint8_t*>(converted.data());
    int made = 0;
    while ((made = swr_convert(resampler.get(), &out, 4096, nullptr, 0)) > 0) append(converted.data(), made);
}

foundation::Result<bool> AudioPcmReader::Decoder::decodeMore() {
    if (flushed_) return false;
    const size_t before = buffer.size();
    for (;;) {
        int status = avcodec_receive_frame(codec.get(), frame.get());
        if (status == 0) {
            auto converted = convert(*frame);
            av_frame_unref(frame.get());
            if (!converted) return converted.error();
            if (buffer.size() > before) return true;
            continue;
        }
        if (status == AVERROR_EOF) {
            flushResampler();
            flushed_ = true;
            return buffer.size() > before;
        }
        // A damaged packet costs its own sound only.
        if (status == AVERROR_INVALIDDATA) continue;
        if (status != AVERROR(EAGAIN)) return mediaError(status, "Cannot decode the audio of " + path);
        if (draining_) return mediaError(AVERROR_BUG, "Decoder of " + path + " stalled");
        status = av_read_frame(format.get(), packet.get());
        if (status < 0) {
            // The end of the file, or the end of what can be read of it.
            draining_ = true;
            avcodec_send_packet(codec.get(), nullptr);
            continue;
        }
        if (packet->stream_index == stream->index) {
            status = avcodec_send_packet(codec.get(), packet.get());
            if (status < 0 && status != AVERROR_INVALIDDATA && status != AVERROR(EAGAIN)) {
                av_packet_unref(packet.get());
                return mediaError(status, "Cannot decode the audio of " + path);
            }
        }
        av_packet_unref(packet.get());
    }
}

foundation::Status AudioPcmReader::Decoder::restartNear(int64_t frame) {
    // Half a second early, so decoders that need the packets before the
    // target (MP3's bit reservoir, AAC's overlap) have settled by then.
    const int64_t timestamp = origin + av_rescale_q(frame - outRate / 2, AVRational{1, outRate}, stream->time_base);
    int status = av_seek_frame(format.get(), stream->index, timestamp, AVSEEK_FLAG_BACKWARD);
    // Before the first indexed packet a backward seek finds nothing: take the first.
    if (status < 0) status = av_seek_frame(format.get(), stream->index, timestamp, 0);
    if (status < 0) return mediaError(status, "Cannot seek in " + path);
    avcodec_flush_buffers(codec.get());
    buffer.clear();
    consumed = 0;
    positioned = false;
    draining_ = false;
    flushed_ = false;
    return {};
}

AudioPcmReader::AudioPcmReader(int sampleRate, int channelCount, std::unique_ptr<Decoder> decoder)
    : sampleRate_(sampleRate), channelCount_(channelCount), decoder_(std::move(decoder)) {}

AudioPcmReader::~AudioPcmReader() = default;

foundation::Result<std::unique_ptr<AudioPcmReader>> AudioPcmReader::open(const std::string& path, int sampleRate,
                                                                         int channelCount, int trackID) {
    if (sampleRate <= 0 || sampleRate > kMaximumSampleRate || channelCount < 1 || channelCount > 2)
        return mediaError(AVERROR(EINVAL), "Unsupported output format for " + path);
    auto decoder = std::make_unique<Decoder>();
    decoder->path = path;
    decoder->outRate = sampleRate;
    decoder->outChannels = channelCount;
    auto opened = openInput(path);
    if (!opened) return opened.error();
    decoder->format = std::move(*opened);
    AVFormatContext* raw = decoder->format.get();
    int index = trackID;
    if (index < 0) {
        index = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (index < 0) return mediaError(index, "No audio in " + path);
    }
    if (index >= static_cast<int>(raw->nb_streams) || raw->streams[index]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
        return mediaError(AVERROR_STREAM_NOT_FOUND, "No audio track " + std::to_string(trackID) + " in " + path);
    AVStream* stream = raw->streams[index];
    decoder->stream = stream;
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        if (static_cast<int>(i) != index) raw->streams[i]->discard = AVDISCARD_ALL;
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return mediaError(AVERROR_DECODER_NOT_FOUND, "No decoder for the audio of " + path);
    decoder->codec.reset(avcodec_alloc_context3(codec));
    decoder->packet.reset(av_packet_alloc());
    decoder->frame.reset(av_frame_alloc());
    if (!decoder->codec || !decoder->packet || !decoder->frame) return mediaError(AVERROR(ENOMEM), path);
    if (int status = avcodec_parameters_to_context(decoder->codec.get(), stream->codecpar); status < 0)
        return mediaError(status, "Cannot decode the audio of " + path);
    decoder->codec->pkt_timebase = stream->time_base;
    if (int status = avcodec_open2(decoder->codec.get(), codec, nullptr); status < 0)
        return mediaError(status, "Cannot decode the audio of " + path);
    if (stream->start_time != AV_NOPTS_VALUE) decoder->origin = stream->start_time;

    std::unique_ptr<AudioPcmReader> reader(new AudioPcmReader(sampleRate, channelCount, std::move(decoder)));
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        reader->estimatedFrameCount_ = av_rescale_q(stream->duration, stream->time_base, AVRational{1, sampleRate});
    else if (raw->duration != AV_NOPTS_VALUE && raw->duration > 0)
        reader->estimatedFrameCount_ = av_rescale(raw->duration, sampleRate, AV_TIME_BASE);
    return reader;
}

int AudioPcmReader::sourceSampleRate() const { return decoder_->stream->codecpar->sample_rate; }

int AudioPcmReader::sourceChannelCount() const { return decoder_->stream->codecpar->ch_layout.nb_channels; }

foundation::Result<int64_t> AudioPcmReader::read(float* interleaved, int64_t frameCount) {
    Decoder& decoder = *decoder_;
    int64_t done = 0;
    while (done < frameCount) {
        if (decoder.available() == 0) {
            auto more = decoder.decodeMore();
            if (!more) return more.error();
            if (!*more) break;
            continue;
        }
        // Frames the decoder made before the wanted position (only right
        // after a seek) are passed over.
        if (decoder.bufferStart < position_) {
            decoder.drop(std::min<size_t>(decoder.available(), static_cast<size_t>(position_ - decoder.bufferStart)));
            continue;
        }
        if (decoder.bufferStart > position_) {
            // The file's first sound begins later than asked: silence until then.
            const int64_t gap = std::min(frameCount - done, decoder.bufferStart - position_);
            std::fill_n(interleaved + done * channelCount_, gap * channelCount_, 0.0f);
            done += gap;
            position_ += gap;
            continue;
        }
        const size_t take = std::min<size_t>(decoder.available(), static_cast<size_t>(frameCount - done));
        std::memcpy(interleaved + done * channelCount_, decoder.buffer.data() + decoder.consumed * channelCount_,
                    take * channelCount_ * sizeof(float));
        decoder.drop(take);
        done += static_cast<int64_t>(take);
        position_ += static_cast<int64_t>(take);
    }
    return done;
}

foundation::Status AudioPcmReader::seek(int64_t frame) {
    if (frame < 0) return mediaError(AVERROR(EINVAL), "Negative position in " + decoder_->path);
    if (frame == position_) return {};
    Decoder& decoder = *decoder_;
    // Close ahead: decoding on is cheaper than a seek and keeps the decoder warm.
    const bool nearAhead = frame > position_ && frame - position_ <= sampleRate_;
    if (!nearAhead) {
        if (auto status = decoder.restartNear(frame); !status) return status;
        // Find where the decoder landed; past the target means the file's
        // index was rough: start over from the beginning.
        while (!decoder.positioned) {
            auto more = decoder.decodeMore();
            if (!more) return more.error();
            if (!*more) break;
        }
        if (decoder.positioned && decoder.bufferStart > frame) {
            if (auto status = decoder.restartNear(-10 * static_cast<int64_t>(sampleRate_)); !status) return status;
        }
    }
    position_ = frame;
    return {};
}

}  // namespace media
