#include "platform/media/Asset.h"

#include "platform/media/FFmpeg.h"

#include <QTransform>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/display.h>
}

namespace media {

namespace {

graphics::AffineTransform transformOfStream(const AVStream& stream) {
    size_t size = 0;
    const uint8_t* data = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!data || size < 9 * sizeof(int32_t)) return graphics::AffineTransform::identity();
    int32_t matrix[9];
    std::memcpy(matrix, data, sizeof matrix);
    // 16.16 fixed point in the first two columns, as QuickTime stores it.
    auto fixed = [&](int index) { return matrix[index] / 65536.0; };
    return graphics::AffineTransform{fixed(0), fixed(1), fixed(3), fixed(4), fixed(6), fixed(7)};
}

MediaType typeOf(AVMediaType type) {
    switch (type) {
        case AVMEDIA_TYPE_VIDEO:
            return MediaType::Video;
        case AVMEDIA_TYPE_AUDIO:
            return MediaType::Audio;
        default:
            return MediaType::Other;
    }
}

MediaTime timeInBase(int64_t value, AVRational base) {
    // Media times keep a 32-bit timescale; FFmpeg's bases fit in practice,
    // and a base that does not is carried over to microseconds.
    if (base.num == 1 && base.den > 0) return MediaTime::make(value, base.den);
    return MediaTime::make(av_rescale_q(value, base, AVRational{1, 1'000'000}), 1'000'000);
}

}  // namespace

foundation::Result<Asset> Asset::open(const std::string& path) {
    auto opened = openInput(path);
    if (!opened) return opened.error();
    FormatContextPtr format = std::move(*opened);

    Asset asset;
    asset.path_ = path;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream& stream = *format->streams[i];
        const AVCodecParameters& parameters = *stream.codecpar;
        AssetTrack track;
        track.trackID = static_cast<int>(i);
        track.mediaType = typeOf(parameters.codec_type);
        track.isAttachedPicture = (stream.disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
        track.codecName = avcodec_get_name(parameters.codec_id);
        if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0)
            track.duration = timeInBase(stream.duration, stream.time_base);
        if (track.mediaType == MediaType::Video) {
            track.naturalSize = graphics::Size{static_cast<double>(parameters.width), static_cast<double>(parameters.height)};
            track.preferredTransform = transformOfStream(stream);
            AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
            if (rate.num > 0 && rate.den > 0) track.nominalFrameRate = av_q2d(rate);
        } else if (track.mediaType == MediaType::Audio) {
            track.sampleRate = parameters.sample_rate;
            track.channelCount = parameters.ch_layout.nb_channels;
        }
        asset.tracks_.push_back(std::move(track));
    }
    if (asset.tracks_.empty()) return mediaError(AVERROR_STREAM_NOT_FOUND, "No audio or video in " + path);
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
        asset.duration_ = MediaTime::make(format->duration, AV_TIME_BASE);
    } else {
        for (const AssetTrack& track : asset.tracks_)
            if (track.duration.isValid() && (!asset.duration_.isValid() || track.duration > asset.duration_))
                asset.duration_ = track.duration;
    }
    if (!asset.duration_.isValid()) asset.duration_ = MediaTime::zero();
    return asset;
}

std::vector<AssetTrack> Asset::tracksWithMediaType(MediaType type) const {
    std::vector<AssetTrack> found;
    for (const AssetTrack& track : tracks_)
        if (track.mediaType == type) found.push_back(track);
    return found;
}

std::optional<AssetTrack> Asset::firstVideoTrack() const {
    for (const AssetTrack& track : tracks_)
        if (track.mediaType == MediaType::Video) return track;
    return std::nullopt;
}

graphics::ImageOrientation orientationForTransform(const graphics::AffineTransform& transform) {
    const double scale = std::hypot(transform.a, transform.b);
    if (scale <= 0) return graphics::ImageOrientation::Up;
    auto unit = [&](double value) { return std::lround(value / scale); };
    const long a = unit(transform.a), b = unit(transform.b), c = unit(transform.c), d = unit(transform.d);
    // The orientation whose turn of the stored pixels has the same linear part.
    for (int value = 0; value < 8; ++value) {
        auto orientation = static_cast<graphics::ImageOrientation>(value);
        QTransform turn = graphics::orientationTransform(orientation, 2, 2);
        if (std::lround(turn.m11()) == a && std::lround(turn.m12()) == b && std::lround(turn.m21()) == c &&
            std::lround(turn.m22()) == d)
            return orientation;
    }
    return graphics::ImageOrientation::Up;
}

}  // namespace media
