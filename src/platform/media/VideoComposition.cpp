#include "platform/media/VideoComposition.h"

#include "platform/media/MediaError.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace media {

namespace {

using graphics::AffineTransform;

// Frame durations of the usual rates are whole units of this.
constexpr int32_t kFrameTimescale = 90000;
constexpr double kDefaultFrameRate = 30;
// Pictures are composed in memory: a side no codec goes beyond, so that a
// size read from a file's header cannot ask for gigabytes.
constexpr double kMaximumRenderSide = 16384;

template <class T>
void place(std::vector<VideoCompositionLayerInstruction::Ramp<T>>& ramps,
           VideoCompositionLayerInstruction::Ramp<T> ramp) {
    if (!ramp.timeRange.isValid()) return;
    auto at = std::lower_bound(ramps.begin(), ramps.end(), ramp.timeRange.start,
                               [](const auto& existing, const MediaTime& start) { return existing.timeRange.start < start; });
    if (at != ramps.end() && at->timeRange.start == ramp.timeRange.start)
        *at = std::move(ramp);
    else
        ramps.insert(at, std::move(ramp));
}

float mix(float from, float to, double fraction) { return float(from + (to - from) * fraction); }

AffineTransform mix(const AffineTransform& from, const AffineTransform& to, double fraction) {
    auto part = [fraction](double x, double y) { return x + (y - x) * fraction; };
    return {part(from.a, to.a),   part(from.b, to.b),   part(from.c, to.c),
            part(from.d, to.d),   part(from.tx, to.tx), part(from.ty, to.ty)};
}

// The value at `time`: the last change that began at or before it, part way
// through when it is a ramp still running; `initial` before the first.
template <class T>
T valueAt(const std::vector<VideoCompositionLayerInstruction::Ramp<T>>& ramps, const MediaTime& time, T initial) {
    if (!time.isValid()) return initial;
    auto after = std::upper_bound(ramps.begin(), ramps.end(), time,
                                  [](const MediaTime& t, const auto& ramp) { return t < ramp.timeRange.start; });
    if (after == ramps.begin()) return initial;
    const auto& ramp = *std::prev(after);
    const double length = ramp.timeRange.duration.seconds();
    const double into = (time - ramp.timeRange.start).seconds();
    if (length <= 0 || into >= length) return ramp.end;
    return mix(ramp.start, ramp.end, into / length);
}

foundation::Error invalid(const std::string& description) {
    return foundation::Error(kMediaErrorDomain, kMediaErrorInvalidVideoComposition, description);
}

}  // namespace

void VideoCompositionLayerInstruction::setOpacity(float opacity, const MediaTime& atTime) {
    setOpacityRamp(opacity, opacity, TimeRange::make(atTime, MediaTime::zero()));
}

void VideoCompositionLayerInstruction::setOpacityRamp(float startOpacity, float endOpacity,
                                                      const TimeRange& timeRange) {
    place(opacity_, Ramp<float>{timeRange, std::clamp(startOpacity, 0.0f, 1.0f), std::clamp(endOpacity, 0.0f, 1.0f)});
}

void VideoCompositionLayerInstruction::setTransform(const AffineTransform& transform, const MediaTime& atTime) {
    setTransformRamp(transform, transform, TimeRange::make(atTime, MediaTime::zero()));
}

void VideoCompositionLayerInstruction::setTransformRamp(const AffineTransform& startTransform,
                                                        const AffineTransform& endTransform,
                                                        const TimeRange& timeRange) {
    place(transform_, Ramp<AffineTransform>{timeRange, startTransform, endTransform});
}

float VideoCompositionLayerInstruction::opacityAtTime(const MediaTime& time) const {
    return valueAt(opacity_, time, 1.0f);
}

AffineTransform VideoCompositionLayerInstruction::transformAtTime(const MediaTime& time) const {
    return valueAt(transform_, time, AffineTransform::identity());
}

foundation::Result<VideoComposition> VideoComposition::withPropertiesOf(const Composition& composition) {
    VideoComposition video;
    VideoCompositionInstruction all;
    MediaTime end = MediaTime::zero();
    const CompositionSegment* first = nullptr;
    for (const CompositionTrack& track : composition.tracks()) {
        if (track.mediaType() != MediaType::Video) continue;
        all.layerInstructions.emplace_back(track.trackID());
        end = std::max(end, track.endTime());
        for (const CompositionSegment& segment : track.segments())
            if (!first && !segment.isEmpty()) first = &segment;
    }
    if (!first) return video;
    auto asset = Asset::open(first->sourcePath);
    if (!asset) return asset.error();
    double rate = kDefaultFrameRate;
    for (const AssetTrack& track : asset->tracks()) {
        if (track.trackID != first->sourceTrackID) continue;
        video.renderSize = track.naturalSize;
        if (track.nominalFrameRate > 0) rate = track.nominalFrameRate;
    }
    video.frameDuration = MediaTime::fromSeconds(1 / rate, kFrameTimescale);
    all.timeRange = TimeRange::make(MediaTime::zero(), end);
    video.instructions.push_back(std::move(all));
    return video;
}

foundation::Status VideoComposition::validate(const Composition& composition) const {
    if (instructions.empty()) return {};
    if (!frameDuration.isValid() || frameDuration.isPositiveInfinity || !(frameDuration.seconds() > 0))
        return invalid("The video composition has no frame duration");
    if (!(renderSize.width >= 1 && renderSize.height >= 1 && renderScale > 0) ||
        !std::isfinite(renderSize.width * renderSize.height * renderScale))
        return invalid("The video composition has no render size");
    if (std::max(renderSize.width, renderSize.height) * renderScale > kMaximumRenderSide)
        return invalid("The video composition's pictures would be larger than 16384 pixels a side");
    std::set<int> videoTracks;
    for (const CompositionTrack& track : composition.tracks())
        if (track.mediaType() == MediaType::Video) videoTracks.insert(track.trackID());
    MediaTime previousEnd = MediaTime::zero();
    for (const VideoCompositionInstruction& instruction : instructions) {
        if (!instruction.timeRange.isValid())
            return invalid("An instruction of the video composition has no valid time range");
        if (instruction.timeRange.start < previousEnd)
            return invalid("The instructions of the video composition overlap or are out of order");
        previousEnd = instruction.timeRange.end();
        for (const VideoCompositionLayerInstruction& layer : instruction.layerInstructions)
            if (!videoTracks.count(layer.trackID()))
                return invalid("A layer of the video composition names track " + std::to_string(layer.trackID()) +
                               ", which is no video track of the composition");
    }
    return {};
}

MediaTime VideoComposition::duration() const {
    return instructions.empty() ? MediaTime::zero() : instructions.back().timeRange.end();
}

const VideoCompositionInstruction* VideoComposition::instructionAtTime(const MediaTime& time) const {
    auto after = std::upper_bound(instructions.begin(), instructions.end(), time,
                                  [](const MediaTime& t, const auto& instruction) {
                                      return t < instruction.timeRange.start;
                                  });
    if (after == instructions.begin()) return nullptr;
    const VideoCompositionInstruction& instruction = *std::prev(after);
    return time < instruction.timeRange.end() ? &instruction : nullptr;
}

}  // namespace media
