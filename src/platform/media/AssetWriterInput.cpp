#include "platform/media/AssetWriterInput.h"

#include "platform/media/AssetWriter.h"
#include "platform/media/VideoColour.h"
#include "platform/media/VideoEncoding.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

namespace media {

using foundation::Status;

std::shared_ptr<AssetWriterInput> AssetWriterInput::video(const VideoSettings& settings) {
    std::shared_ptr<AssetWriterInput> input(new AssetWriterInput(Kind::Video));
    input->video_ = settings;
    return input;
}

std::shared_ptr<AssetWriterInput> AssetWriterInput::audio(const PcmAudioSettings& settings) {
    std::shared_ptr<AssetWriterInput> input(new AssetWriterInput(Kind::Audio));
    input->audio_ = settings;
    return input;
}

std::shared_ptr<AssetWriterInput> AssetWriterInput::aacAudio(const AacAudioSettings& settings) {
    std::shared_ptr<AssetWriterInput> input(new AssetWriterInput(Kind::Audio));
    input->aac_ = settings;
    input->audio_ = PcmAudioSettings{settings.sampleRate, settings.channelCount};
    return input;
}

AssetWriterInput::~AssetWriterInput() = default;

namespace detail {

namespace {

// A small encoder's threads each take a slice of about this many pixels, up
// to four: a slice costs some bytes of its own in every picture.
constexpr int64_t kSlicePixels = 192 * 1024;
constexpr int64_t kSmallEncoderThreads = 4;

}  // namespace

Status openVideoEncoder(const VideoSettings& settings, bool globalHeader, CodecContextPtr& encoder,
                        EncoderFootprint footprint) {
    quietFFmpegLog();
    const std::string context =
        "Cannot encode video of " + std::to_string(settings.width) + "x" + std::to_string(settings.height);
    // 4:2:0 pictures have even sides; x264 refuses others only after
    // allocating what it then leaks.
    const int timescale = settings.timescale > 0 ? settings.timescale : settings.frameRate;
    if (settings.width <= 0 || settings.height <= 0 || settings.width % 2 || settings.height % 2 ||
        settings.frameRate <= 0 || settings.timescale < 0)
        return mediaError(AVERROR(EINVAL), context);
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) return mediaError(AVERROR_ENCODER_NOT_FOUND, context);
    encoder.reset(avcodec_alloc_context3(codec));
    if (!encoder) return mediaError(AVERROR(ENOMEM), context);
    encoder->width = settings.width;
    encoder->height = settings.height;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->time_base = AVRational{1, timescale};
    encoder->framerate = AVRational{settings.frameRate, 1};
    encoder->bit_rate = settings.averageBitRate;
    // The average is kept as the platform's encoder keeps it: without a
    // buffer model x264's average runs far above it at a few frames a second
    // (three to four times at 6 fps), and the movie's size with it.
    encoder->rc_max_rate = settings.averageBitRate;
    encoder->rc_buffer_size = static_cast<int>(std::min<int64_t>(settings.averageBitRate, INT_MAX));
    encoder->max_b_frames = 0;
    encoder->gop_size = 2 * settings.frameRate;
    encoder->sample_aspect_ratio = AVRational{1, 1};
    describeColours(*encoder, conventionalMatrix(settings.width, settings.height));
    if (globalHeader) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", AssetWriterInput::kX264Preset, 0);
    av_dict_set(&options, "profile", "high", 0);
    const std::string x264 = footprint == EncoderFootprint::Small
                                 ? "log=-1:sliced-threads=1:threads=" +
                                       std::to_string(std::clamp<int64_t>(int64_t(settings.width) * settings.height /
                                                                              kSlicePixels,
                                                                          1, kSmallEncoderThreads)) +
                                       ":rc-lookahead=0:sync-lookahead=0"
                                 : std::string("log=-1");
    av_dict_set(&options, "x264-params", x264.c_str(), 0);
    const int status = avcodec_open2(encoder.get(), codec, &options);
    av_dict_free(&options);
    if (status < 0) return mediaError(status, context);
    return {};
}

bool copyPictureInto(const PixelBuffer& picture, AVFrame& frame) {
    if (picture.width != frame.width || picture.height != frame.height) return false;
    if (picture.pixelFormat == kPixelFormat420YpCbCr8Planar) {
        if (picture.bytes.size() < size_t(frame.width) * size_t(frame.height) * 3 / 2) return false;
        const uint8_t* plane = picture.bytes.data();
        for (int p = 0; p < 3; ++p) {
            const int width = p == 0 ? frame.width : frame.width / 2;
            const int height = p == 0 ? frame.height : frame.height / 2;
            av_image_copy_plane(frame.data[p], frame.linesize[p], plane, width, width, height);
            plane += size_t(width) * size_t(height);
        }
        return true;
    }
    const Planes420 planes{{frame.data[0], frame.data[1], frame.data[2]},
                           {size_t(frame.linesize[0]), size_t(frame.linesize[1]), size_t(frame.linesize[2])}};
    return writePlanar420(picture, planes, conventionalMatrix(frame.width, frame.height));
}

}  // namespace detail

Status AssetWriterInput::open(AVFormatContext& muxer) {
    AVStream* stream = avformat_new_stream(&muxer, nullptr);
    if (!stream) return mediaError(AVERROR(ENOMEM), "Cannot add a track");
    streamIndex_ = stream->index;
    if (aac_) {
        auto encoder = detail::AacEncoder::open(*aac_, muxer, *stream);
        if (!encoder) return encoder.error();
        aacEncoder_ = std::move(*encoder);
        return {};
    }
    if (kind_ == Kind::Audio) {
        AVCodecParameters& p = *stream->codecpar;
        p.codec_type = AVMEDIA_TYPE_AUDIO;
        p.codec_id = AV_CODEC_ID_PCM_S16LE;
        p.sample_rate = audio_.sampleRate;
        av_channel_layout_default(&p.ch_layout, audio_.channelCount);
        p.format = AV_SAMPLE_FMT_S16;
        p.bits_per_coded_sample = 16;
        p.block_align = 2 * audio_.channelCount;
        p.bit_rate = int64_t(audio_.sampleRate) * 16 * audio_.channelCount;
        stream->time_base = AVRational{1, audio_.sampleRate};
        return {};
    }
    if (Status opened = detail::openVideoEncoder(video_, muxer.oformat->flags & AVFMT_GLOBALHEADER, encoder_); !opened)
        return opened;
    if (int status = avcodec_parameters_from_context(stream->codecpar, encoder_.get()); status < 0)
        return mediaError(status, "Cannot add a track");
    stream->time_base = encoder_->time_base;
    stream->avg_frame_rate = encoder_->framerate;
    if (!video_.transform.isIdentity()) {
        // QuickTime's matrix: 16.16 fixed point in the first two columns, 2.30 in the last.
        auto* matrix = reinterpret_cast<int32_t*>(
            av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(int32_t)));
        if (!matrix) return mediaError(AVERROR(ENOMEM), "Cannot add a track");
        const graphics::AffineTransform& t = video_.transform;
        auto fixed = [](double value) { return static_cast<int32_t>(std::lround(value * 65536.0)); };
        const int32_t values[9] = {fixed(t.a), fixed(t.b),  0,           fixed(t.c), fixed(t.d),
                                   0,          fixed(t.tx), fixed(t.ty), 1 << 30};
        std::memcpy(matrix, values, sizeof values);
    }
    frame_.reset(av_frame_alloc());
    if (!frame_) return mediaError(AVERROR(ENOMEM), "Cannot add a track");
    frame_->format = AV_PIX_FMT_YUV420P;
    frame_->width = video_.width;
    frame_->height = video_.height;
    if (int status = av_frame_get_buffer(frame_.get(), 0); status < 0) return mediaError(status, "Cannot add a track");
    return {};
}

std::shared_ptr<AssetWriter> AssetWriterInput::writingWriter() const {
    std::shared_ptr<AssetWriter> writer = writer_.lock();
    if (!writer) return nullptr;
    std::lock_guard lock(writer->mutex_);
    return writer->status_ == AssetWriterStatus::Writing && !finished_ ? writer : nullptr;
}

bool AssetWriterInput::isReadyForMoreMediaData() const {
    std::shared_ptr<AssetWriter> writer = writer_.lock();
    return writer && writer->isReady(*this);
}

void AssetWriterInput::requestMediaDataWhenReady(foundation::DispatchQueue queue, std::function<void()> block) {
    std::shared_ptr<AssetWriter> writer = writer_.lock();
    if (!writer) return;
    {
        std::lock_guard lock(writer->mutex_);
        queue_ = std::move(queue);
        block_ = std::move(block);
    }
    writer->wakeWaitingInputs();
}

void AssetWriterInput::scheduleLocked() {
    if (scheduled_ || finished_ || !queue_ || !block_) return;
    scheduled_ = true;
    queue_->async([self = shared_from_this()] { self->runBlock(); });
}

void AssetWriterInput::runBlock() {
    std::shared_ptr<AssetWriter> writer = writer_.lock();
    if (!writer) return;
    std::function<void()> block;
    {
        std::lock_guard lock(writer->mutex_);
        scheduled_ = false;
        block = block_;
    }
    if (!block || !writer->isReady(*this)) return;
    block();
    // The block returns when the input is no longer ready, or it would be
    // asked again; a waiting input is woken by the others' appends.
    if (writer->isReady(*this)) {
        std::lock_guard lock(writer->mutex_);
        scheduleLocked();
    }
}

void AssetWriterInput::advance(double until, AssetWriter& writer) {
    {
        std::lock_guard lock(writer.mutex_);
        appendedUntil_ = until;
    }
    writer.wakeWaitingInputs();
}

std::optional<std::pair<std::shared_ptr<AssetWriter>, int64_t>> AssetWriterInput::acceptPicture(
    const PixelBuffer& buffer, MediaTime presentationTime) {
    std::shared_ptr<AssetWriter> writer = writingWriter();
    if (kind_ != Kind::Video || !encoder_ || !writer || !presentationTime.isValid()) return std::nullopt;
    const bool planar = buffer.pixelFormat == kPixelFormat420YpCbCr8Planar;
    const bool packed = buffer.pixelFormat == kPixelFormat32ARGB || buffer.pixelFormat == kPixelFormat32BGRA;
    const size_t planarSize = size_t(video_.width) * size_t(video_.height) * 3 / 2;
    const bool fits = buffer.width == video_.width && buffer.height == video_.height &&
                      (planar ? buffer.bytes.size() >= planarSize
                              : packed && buffer.bytesPerRow >= size_t(buffer.width) * 4 &&
                                    buffer.bytes.size() >= buffer.bytesPerRow * size_t(buffer.height));
    if (!fits) {
        writer->fail(mediaError(AVERROR(EINVAL), "A picture of " + std::to_string(buffer.width) + "x" +
                                                     std::to_string(buffer.height) + " does not fit the movie"));
        return std::nullopt;
    }
    const int64_t pts = (presentationTime - writer->sessionStart()).convertScale(timescale()).value;
    if (pts <= lastPts_ || pts < 0) {
        writer->fail(mediaError(AVERROR(EINVAL), "Pictures must be appended in time order"));
        return std::nullopt;
    }
    return std::pair{std::move(writer), pts};
}

bool AssetWriterInput::encodePicture(AVFrame* frame, int64_t pts, AssetWriter& writer) {
    frame->pts = pts;
    lastPts_ = pts;
    if (!encode(frame, writer)) return false;
    advance(double(pts) / timescale() + 1.0 / video_.frameRate, writer);
    return true;
}

bool AssetWriterInput::appendPixelBuffer(const PixelBuffer& buffer, MediaTime presentationTime) {
    auto accepted = acceptPicture(buffer, presentationTime);
    if (!accepted) return false;
    auto& [writer, pts] = *accepted;
    if (int status = av_frame_make_writable(frame_.get()); status < 0) {
        writer->fail(mediaError(status, "Cannot convert a picture"));
        return false;
    }
    if (!detail::copyPictureInto(buffer, *frame_)) {
        writer->fail(mediaError(AVERROR(EINVAL), "Cannot convert a picture"));
        return false;
    }
    return encodePicture(frame_.get(), pts, *writer);
}

bool AssetWriterInput::appendPixelBuffer(std::shared_ptr<const PixelBuffer> buffer, MediaTime presentationTime) {
    if (!buffer) return false;
    if (buffer->pixelFormat != kPixelFormat420YpCbCr8Planar) return appendPixelBuffer(*buffer, presentationTime);
    auto accepted = acceptPicture(*buffer, presentationTime);
    if (!accepted) return false;
    auto& [writer, pts] = *accepted;
    // The frame refers to the picture's own planes; the encoder lets go of
    // the reference once it has copied them in.
    AVFramePtr frame(av_frame_alloc());
    auto* owner = new std::shared_ptr<const PixelBuffer>(buffer);
    AVBufferRef* reference = frame ? av_buffer_create(
                                         const_cast<uint8_t*>(buffer->bytes.data()), buffer->bytes.size(),
                                         [](void* opaque, uint8_t*) {
                                             delete static_cast<std::shared_ptr<const PixelBuffer>*>(opaque);
                                         },
                                         owner, AV_BUFFER_FLAG_READONLY)
                                   : nullptr;
    if (!reference) {
        delete owner;
        writer->fail(mediaError(AVERROR(ENOMEM), "Cannot convert a picture"));
        return false;
    }
    frame->buf[0] = reference;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = video_.width;
    frame->height = video_.height;
    uint8_t* plane = reference->data;
    for (int p = 0; p < 3; ++p) {
        const int width = p == 0 ? video_.width : video_.width / 2;
        const int height = p == 0 ? video_.height : video_.height / 2;
        frame->data[p] = plane;
        frame->linesize[p] = width;
        plane += size_t(width) * size_t(height);
    }
    return encodePicture(frame.get(), pts, *writer);
}

bool AssetWriterInput::encode(AVFrame* frame, AssetWriter& writer) {
    if (int status = avcodec_send_frame(encoder_.get(), frame); status < 0) {
        writer.fail(mediaError(status, "Cannot encode a picture"));
        return false;
    }
    std::vector<PacketPtr> packets;
    for (;;) {
        PacketPtr packet(av_packet_alloc());
        if (!packet) {
            writer.fail(mediaError(AVERROR(ENOMEM), "Cannot encode a picture"));
            return false;
        }
        const int status = avcodec_receive_packet(encoder_.get(), packet.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) break;
        if (status < 0) {
            writer.fail(mediaError(status, "Cannot encode a picture"));
            return false;
        }
        // Every picture lasts one frame period until the next; the last one too.
        if (packet->duration <= 0) packet->duration = std::max(1, timescale() / video_.frameRate);
        packets.push_back(std::move(packet));
    }
    return packets.empty() || writer.writePackets(streamIndex_, encoder_->time_base, packets);
}

bool AssetWriterInput::appendAudioSamples(const float* interleaved, size_t frames, MediaTime presentationTime) {
    if (aac_) return appendAac(interleaved, frames, presentationTime);
    std::vector<int16_t> converted(frames * size_t(audio_.channelCount));
    for (size_t i = 0; i < converted.size(); ++i)
        converted[i] = static_cast<int16_t>(std::lround(std::clamp(interleaved[i], -1.0f, 1.0f) * 32767.0f));
    return appendAudioSamples(converted.data(), frames, presentationTime);
}

bool AssetWriterInput::appendAac(const float* interleaved, size_t frames, MediaTime presentationTime) {
    std::shared_ptr<AssetWriter> writer = writingWriter();
    if (!writer || !presentationTime.isValid()) return false;
    const int64_t start = (presentationTime - writer->sessionStart()).convertScale(audio_.sampleRate).value;
    std::vector<PacketPtr> packets;
    if (foundation::Status pushed = aacEncoder_->push(interleaved, frames, start, packets); !pushed) {
        writer->fail(pushed.error());
        return false;
    }
    if (!packets.empty() && !writer->writePackets(streamIndex_, aacEncoder_->timeBase(), packets)) return false;
    advance(double(aacEncoder_->end()) / audio_.sampleRate, *writer);
    return true;
}

bool AssetWriterInput::appendAudioSamples(const int16_t* interleaved, size_t frames, MediaTime presentationTime) {
    if (aac_) {
        std::vector<float> converted(frames * size_t(audio_.channelCount));
        for (size_t i = 0; i < converted.size(); ++i) converted[i] = float(interleaved[i]) / 32768.0f;
        return appendAac(converted.data(), frames, presentationTime);
    }
    std::shared_ptr<AssetWriter> writer = writingWriter();
    if (kind_ != Kind::Audio || !writer || !presentationTime.isValid()) return false;
    if (frames == 0) return true;
    const size_t bytes = frames * size_t(audio_.channelCount) * sizeof(int16_t);
    PacketPtr packet(av_packet_alloc());
    if (!packet || av_new_packet(packet.get(), static_cast<int>(bytes)) < 0) {
        writer->fail(mediaError(AVERROR(ENOMEM), "Cannot write sound"));
        return false;
    }
    std::memcpy(packet->data, interleaved, bytes);
    const int64_t start = (presentationTime - writer->sessionStart()).convertScale(audio_.sampleRate).value;
    packet->pts = packet->dts = start;
    packet->duration = static_cast<int64_t>(frames);
    packet->flags |= AV_PKT_FLAG_KEY;
    std::vector<PacketPtr> packets;
    packets.push_back(std::move(packet));
    if (!writer->writePackets(streamIndex_, AVRational{1, audio_.sampleRate}, packets)) return false;
    advance(double(start + int64_t(frames)) / audio_.sampleRate, *writer);
    return true;
}

void AssetWriterInput::markAsFinished() {
    std::shared_ptr<AssetWriter> writer = writer_.lock();
    if (!writer) return;
    {
        std::lock_guard lock(writer->mutex_);
        if (finished_) return;
        finished_ = true;
        // A finished input is never asked again; its block may hold its owner.
        block_ = nullptr;
    }
    if (kind_ == Kind::Video && encoder_ && !flushed_ && writer->isWriting()) {
        flushed_ = true;
        encode(nullptr, *writer);
    }
    // Nothing is encoded any more: the encoder's pictures and lookahead (a
    // few hundred megabytes at 3840×2160) go now, not with the writer.
    encoder_.reset();
    frame_.reset();
    if (aacEncoder_ && !flushed_ && writer->isWriting()) {
        flushed_ = true;
        std::vector<PacketPtr> packets;
        if (foundation::Status flushedAac = aacEncoder_->flush(packets); !flushedAac)
            writer->fail(flushedAac.error());
        else if (!packets.empty())
            writer->writePackets(streamIndex_, aacEncoder_->timeBase(), packets);
    }
    writer->wakeWaitingInputs();
}

}  // namespace media
