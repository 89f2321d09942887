#include "platform/media/MovieProbe.h"

#include "platform/media/Asset.h"
#include "platform/media/FFmpeg.h"
#include "platform/media/VideoFrameDecoder.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace media {

namespace {

// The shortest gap between the presentation times of the track's packets
// (the single packet's duration for a one-picture track).
double minFrameDuration(const std::string& path, int trackID) {
    auto input = openInput(path);
    if (!input) return 0;
    AVFormatContext* format = input->get();
    if (trackID < 0 || unsigned(trackID) >= format->nb_streams) return 0;
    const AVStream* stream = format->streams[trackID];
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
    std::sort(times.begin(), times.end());
    int64_t shortest = std::numeric_limits<int64_t>::max();
    for (size_t i = 1; i < times.size(); ++i)
        if (times[i] > times[i - 1]) shortest = std::min(shortest, times[i] - times[i - 1]);
    if (shortest == std::numeric_limits<int64_t>::max()) shortest = lastDuration;
    return shortest > 0 ? double(shortest) * av_q2d(stream->time_base) : 0;
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
