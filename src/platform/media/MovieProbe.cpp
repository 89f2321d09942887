#include "platform/media/MovieProbe.h"

#include "platform/media/Asset.h"
#include "platform/media/FFmpeg.h"
#include "platform/media/VideoFrameDecoder.h"

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
// (the single packet's duration for a one-picture track).
double minFrameDuration(const std::string& path, int trackID) {
    auto input = openInput(path);
    if (!input) return 0;
    AVFormatContext* format = input->get();
    if (trackID < 0 || unsigned(trackID) >= format->nb_streams) return 0;
    AVStream* stream = format->streams[trackID];
    std::optional<int64_t> shortest;
    if (auto indexed = indexedTimes(stream)) shortest = shortestGap(std::move(*indexed));
    if (!shortest) {
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
    return *shortest > 0 ? double(*shortest) * av_q2d(stream->time_base) : 0;
}

bool firstPictureDecodes(const std::string& path) {
    auto decoder = detail::VideoFrameDecoder::open(path);
    if (!decoder) return false;
    auto frame = (*decoder)->next();
    return frame && *frame;
}

}  // namespace

foundation::Result<MovieProbe> probeMovie(const std::string& path) {
    auto asset = Asset::open(path);
    if (!asset) return asset.error();
    MovieProbe probe;
    std::optional<AssetTrack> track = asset->firstVideoTrack();
    if (!track) return probe;
    probe.hasVideoTrack = true;
    probe.naturalSize = track->naturalSize;
    probe.minFrameDurationSeconds = minFrameDuration(path, track->trackID);
    probe.compatible = track->codecName == "h264" && firstPictureDecodes(path);
    return probe;
}

}  // namespace media
