#include "platform/media/MovieProbe.h"

#include "platform/media/FFmpeg.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace media {

namespace {

// The shortest positive gap between sorted times; none for fewer than two
// distinct times.
std::optional<int64_t> shortestGap(std::vector<int64_t> times) {
    std::sort(times.begin(), times.end());
    std::optional<int64_t> shortest;
    for (size_t i = 1; i < times.size(); ++i)
        if (times[i] > times[i - 1] && (!shortest || times[i] - times[i - 1] < *shortest))
            shortest = times[i] - times[i - 1];
    return shortest;
}

// The track's picture times from the index a QuickTime file carries whole
// in its header, so that no picture is read: a long movie's packets are as
// large as the file. Only where that index is complete (a sample for every
// picture the track declares, none left out by an edit) and pictures are
// shown in the order they are stored, where the gaps between stored times
// are the gaps between shown ones.
std::optional<std::vector<int64_t>> indexedTimes(AVStream* stream) {
    if (stream->codecpar->video_delay > 0 || stream->nb_frames < 2) return std::nullopt;
    const int count = avformat_index_get_entries_count(stream);
    if (count != stream->nb_frames) return std::nullopt;
    std::vector<int64_t> times;
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        if (!entry || (entry->flags & AVINDEX_DISCARD_FRAME)) return std::nullopt;
        times.push_back(entry->timestamp);
    }
    return times;
}

// The shortest gap between the presentation times of the track's packets
// (the single packet's duration for a one-picture track), from the index
// where it serves, else from every packet, through an input of its own.
double minFrameDuration(const std::string& path, AVStream* stream) {
    std::optional<int64_t> shortest;
    if (auto indexed = indexedTimes(stream)) shortest = shortestGap(std::move(*indexed));
    const AVRational timeBase = stream->time_base;
    if (!shortest) {
        auto input = openInput(path);
        if (!input) return 0;
        AVFormatContext* format = input->get();
        const int trackID = stream->index;
        if (trackID < 0 || unsigned(trackID) >= format->nb_streams) return 0;
        PacketPtr packet(av_packet_alloc());
        if (!packet) return 0;
        std::vector<int64_t> times;
        int64_t lastDuration = 0;
        while (av_read_frame(format, packet.get()) >= 0) {
            if (packet->stream_index == trackID && packet->pts != AV_NOPTS_VALUE) {
                times.push_back(packet->pts);
                lastDuration = packet->duration;
            }
            av_packet_unref(packet.get());
        }
        shortest = shortestGap(std::move(times)).value_or(lastDuration);
    }
    return *shortest > 0 ? double(*shortest) * av_q2d(timeBase) : 0;
}

// Whether the track's first picture decodes, read from the probe's own
// input by one decoding thread: a decoder that plays would start a thread
// per core and hold back pictures to run them side by side.
bool firstPictureDecodes(AVFormatContext* format, AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return false;
    CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) return false;
    decoder->thread_count = 1;
    AVFramePtr frame(av_frame_alloc());
    PacketPtr packet(av_packet_alloc());
    if (!frame || !packet || avcodec_open2(decoder.get(), codec, nullptr) < 0) return false;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (format->streams[i] != stream) format->streams[i]->discard = AVDISCARD_ALL;
    bool draining = false;
    for (;;) {
        const int received = avcodec_receive_frame(decoder.get(), frame.get());
        if (received == 0) return true;
        if (received != AVERROR(EAGAIN) || draining) return false;
        if (av_read_frame(format, packet.get()) < 0) {
            draining = true;
            avcodec_send_packet(decoder.get(), nullptr);
            continue;
        }
        if (packet->stream_index == stream->index) {
            const int sent = avcodec_send_packet(decoder.get(), packet.get());
            // A damaged packet costs its own picture only; the next may decode.
            if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA) return false;
        }
        av_packet_unref(packet.get());
    }
}

}  // namespace

foundation::Result<MovieProbe> probeMovie(const std::string& path) {
    // One input answers everything but a long read of every packet:
    // opening a movie reads and decodes its first pictures to learn its tracks.
    auto opened = openInput(path);
    if (!opened) return opened.error();
    AVFormatContext* format = opened->get();
    if (format->nb_streams == 0) return mediaError(AVERROR_STREAM_NOT_FOUND, "No audio or video in " + path);
    MovieProbe probe;
    AVStream* video = nullptr;
    for (unsigned i = 0; i < format->nb_streams && !video; ++i)
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) video = format->streams[i];
    if (!video) return probe;
    probe.hasVideoTrack = true;
    probe.naturalSize = graphics::Size{static_cast<double>(video->codecpar->width), static_cast<double>(video->codecpar->height)};
    probe.minFrameDurationSeconds = minFrameDuration(path, video);
    probe.compatible = video->codecpar->codec_id == AV_CODEC_ID_H264 && firstPictureDecodes(format, video);
    return probe;
}

}  // namespace media
