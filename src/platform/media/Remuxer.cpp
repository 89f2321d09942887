#include "platform/media/Remuxer.h"

#include "platform/foundation/StreamedFile.h"
#include "platform/media/FFmpeg.h"

#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace media {

namespace {

using foundation::Error;
using foundation::Status;
using foundation::StreamedFile;

const char* muxerName(RemuxFormat format) {
    switch (format) {
        case RemuxFormat::M4A:
            return "ipod";
        case RemuxFormat::Wave:
            return "wav";
        case RemuxFormat::Aiff:
            return "aiff";
        case RemuxFormat::RawPackets:
            break;
    }
    return nullptr;
}

// The source opened for reading one track; every other track is skipped
// by the demuxer.
struct Source {
    FormatContextPtr format;
    AVStream* stream = nullptr;
};

foundation::Result<Source> openSource(const std::string& path, int trackID) {
    auto opened = openInput(path);
    if (!opened) return opened.error();
    Source source{std::move(*opened)};
    AVFormatContext* raw = source.format.get();
    if (trackID < 0 || static_cast<unsigned>(trackID) >= raw->nb_streams)
        return mediaError(AVERROR_STREAM_NOT_FOUND, "No track " + std::to_string(trackID) + " in " + path);
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        if (static_cast<int>(i) != trackID) raw->streams[i]->discard = AVDISCARD_ALL;
    source.stream = raw->streams[trackID];
    return source;
}

// Whether the packets read end well before the length the source's headers
// declared. A damaged or cut-off file ends like a whole one
// (FFmpeg reports the end of the file), so this is how a short copy is told
// from a complete one.
bool endsShort(const Source& source, int64_t firstTime, int64_t endTime) {
    const AVStream& stream = *source.stream;
    // Only a length read from the file counts; one estimated from the bit
    // rate is a guess.
    if (source.format->duration_estimation_method != AVFMT_DURATION_FROM_STREAM) return false;
    if (stream.duration == AV_NOPTS_VALUE || stream.duration <= 0 || firstTime == AV_NOPTS_VALUE) return false;
    const int64_t slack = av_rescale_q(AV_TIME_BASE / 2, AV_TIME_BASE_Q, stream.time_base);
    return endTime - firstTime < stream.duration - slack;
}

// Hands every packet of the source's track to `consume` in file order,
// which stops the copy by returning an error. A read error, a damaged
// packet or a source that ends short is a failure: a damaged source must not
// give a short copy that looks complete.
Status forEachPacket(Source& source, const std::string& path, const std::function<Status(AVPacket&)>& consume) {
    PacketPtr packet(av_packet_alloc());
    if (!packet) return mediaError(AVERROR(ENOMEM), "Cannot read " + path);
    int64_t firstTime = AV_NOPTS_VALUE, endTime = AV_NOPTS_VALUE;
    for (;;) {
        int status = av_read_frame(source.format.get(), packet.get());
        if (status == AVERROR_EOF) break;
        if (status < 0) return mediaError(status, "Cannot read " + path);
        if (packet->stream_index != source.stream->index) {
            av_packet_unref(packet.get());
            continue;
        }
        if (packet->flags & AV_PKT_FLAG_CORRUPT) return mediaError(AVERROR_INVALIDDATA, "Damaged data in " + path);
        int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (time != AV_NOPTS_VALUE) {
            if (firstTime == AV_NOPTS_VALUE) firstTime = time;
            endTime = time + packet->duration;
        }
        Status consumed = consume(*packet);
        av_packet_unref(packet.get());
        if (!consumed) return consumed;
    }
    if (endsShort(source, firstTime, endTime))
        return mediaError(AVERROR_INVALIDDATA, "The data of " + path + " ends early");
    return {};
}

Status copyRawPackets(Source& source, const std::string& path, StreamedFile& output) {
    return forEachPacket(source, path, [&](AVPacket& packet) { return output.write(packet.data, packet.size); });
}

// FFmpeg's output goes through our descriptor, so a failed write keeps its
// errno and the file stays the temporary one of the StreamedFile.
struct Sink {
    StreamedFile* file = nullptr;
    int failure = 0;  // the errno of the first failed write or seek
};

int writeToSink(void* opaque, uint8_t* data, int size) {
    auto* sink = static_cast<Sink*>(opaque);
    if (!foundation::writeAll(sink->file->descriptor(), data, static_cast<size_t>(size))) {
        sink->failure = errno;
        return AVERROR(errno);
    }
    return size;
}

int64_t seekInSink(void* opaque, int64_t offset, int whence) {
    auto* sink = static_cast<Sink*>(opaque);
    int fd = sink->file->descriptor();
    if (whence == AVSEEK_SIZE) {
        struct stat info;
        return ::fstat(fd, &info) == 0 ? static_cast<int64_t>(info.st_size) : AVERROR(errno);
    }
    off_t position = ::lseek(fd, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
    if (position < 0) {
        sink->failure = errno;
        return AVERROR(errno);
    }
    return position;
}

// A failure of the muxer: the write error behind it when there was one, so
// a full device is told as such.
Error muxError(const Sink& sink, int status, const std::string& context) {
    if (sink.failure != 0) return sink.file->writeError(sink.failure);
    return mediaError(status, context);
}

Status copyIntoContainer(Source& source, const std::string& path, RemuxFormat format, StreamedFile& output) {
    const std::string& target = output.target();
    AVFormatContext* raw = nullptr;
    if (int status = avformat_alloc_output_context2(&raw, nullptr, muxerName(format), nullptr); status < 0)
        return mediaError(status, "Cannot write " + target);
    OutputContextPtr muxer(raw);

    AVStream* stream = avformat_new_stream(raw, nullptr);
    if (!stream) return mediaError(AVERROR(ENOMEM), "Cannot write " + target);
    if (int status = avcodec_parameters_copy(stream->codecpar, source.stream->codecpar); status < 0)
        return mediaError(status, "Cannot write " + target);
    // The source container's tag means nothing in the new one.
    stream->codecpar->codec_tag = 0;
    stream->time_base = source.stream->time_base;

    constexpr int kBufferSize = 64 * 1024;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (!buffer) return mediaError(AVERROR(ENOMEM), "Cannot write " + target);
    Sink sink{&output};
    IOContextPtr io(avio_alloc_context(buffer, kBufferSize, 1, &sink, nullptr, writeToSink, seekInSink));
    if (!io) {
        av_free(buffer);
        return mediaError(AVERROR(ENOMEM), "Cannot write " + target);
    }
    raw->pb = io.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    // The output must not close an I/O context it does not own.
    struct Detach {
        AVFormatContext* output;
        ~Detach() { output->pb = nullptr; }
    } detach{raw};

    if (int status = avformat_write_header(raw, nullptr); status < 0)
        return muxError(sink, status, "Cannot write " + target);
    const AVRational from = source.stream->time_base;
    Status copied = forEachPacket(source, path, [&](AVPacket& packet) -> Status {
        packet.stream_index = 0;
        av_packet_rescale_ts(&packet, from, stream->time_base);
        packet.pos = -1;
        if (int status = av_write_frame(raw, &packet); status < 0)
            return muxError(sink, status, "Cannot write " + target);
        return {};
    });
    if (!copied) return copied;
    if (int status = av_write_trailer(raw); status < 0) return muxError(sink, status, "Cannot write " + target);
    avio_flush(io.get());
    if (io->error < 0) return muxError(sink, io->error, "Cannot write " + target);
    return {};
}

}  // namespace

bool Remuxer::canHold(RemuxFormat format, const std::string& codecName) {
    if (format == RemuxFormat::RawPackets) return true;
    const AVCodecDescriptor* codec = avcodec_descriptor_get_by_name(codecName.c_str());
    const AVOutputFormat* muxer = av_guess_format(muxerName(format), nullptr, nullptr);
    return codec && muxer && avformat_query_codec(muxer, codec->id, FF_COMPLIANCE_NORMAL) == 1;
}

Status Remuxer::copyTrack(const std::string& source, int trackID, RemuxFormat format, const std::string& target) {
    auto input = openSource(source, trackID);
    if (!input) return input.error();
    const char* codecName = avcodec_get_name(input->stream->codecpar->codec_id);
    if (!canHold(format, codecName))
        return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown,
                                 "A file of the type of " + target + " cannot hold " + codecName + " sound");

    auto output = StreamedFile::create(target);
    if (!output) return output.error();
    Status copied = format == RemuxFormat::RawPackets ? copyRawPackets(*input, source, *output)
                                                      : copyIntoContainer(*input, source, format, *output);
    if (!copied) return copied;
    return output->commit();
}

}  // namespace media
