#include "platform/media/Composition.h"

#include "platform/media/MediaError.h"

namespace media {

namespace {

foundation::Error compositionError(const std::string& description) {
    return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown, description);
}

}  // namespace

MediaTime CompositionTrack::endTime() const {
    return segments_.empty() ? MediaTime::zero() : segments_.back().target.end();
}

foundation::Status CompositionTrack::insertTimeRange(const TimeRange& sourceRange, const Asset& asset,
                                                     const AssetTrack& sourceTrack, const MediaTime& atTime) {
    if (sourceTrack.mediaType != mediaType_)
        return compositionError("The track of " + asset.path() + " is not of the composition track's kind");
    return insert(CompositionSegment{asset.path(), sourceTrack.trackID, sourceRange.start,
                                     TimeRange::make(atTime, sourceRange.duration)});
}

foundation::Status CompositionTrack::insertEmptyTimeRange(const TimeRange& range) {
    return insert(CompositionSegment{{}, 0, MediaTime::zero(), range});
}

foundation::Status CompositionTrack::insert(CompositionSegment segment) {
    if (!segment.target.isValid() || !segment.sourceStart.isValid() || segment.sourceStart.isPositiveInfinity)
        return compositionError("Invalid time range for a composition track");
    const MediaTime at = segment.target.start;
    const MediaTime shift = segment.target.duration;
    if (shift == MediaTime::zero()) return {};

    std::vector<CompositionSegment> result;
    result.reserve(segments_.size() + 2);
    bool placed = false;
    for (CompositionSegment& existing : segments_) {
        if (existing.target.end() <= at) {
            result.push_back(std::move(existing));
            continue;
        }
        if (existing.target.start < at) {
            // Split: the head stays, the tail moves behind the new segment.
            CompositionSegment tail = existing;
            const MediaTime headDuration = at - existing.target.start;
            existing.target.duration = headDuration;
            tail.sourceStart = tail.sourceStart + headDuration;
            tail.target = TimeRange::make(at, tail.target.duration - headDuration);
            result.push_back(std::move(existing));
            existing = std::move(tail);
        }
        if (!placed) {
            result.push_back(segment);
            placed = true;
        }
        existing.target.start = existing.target.start + shift;
        result.push_back(std::move(existing));
    }
    if (!placed) result.push_back(std::move(segment));
    segments_ = std::move(result);
    return {};
}

CompositionTrack& Composition::addMutableTrack(MediaType mediaType) {
    return tracks_.emplace_back(static_cast<int>(tracks_.size()) + 1, mediaType);
}

const CompositionTrack* Composition::trackWithTrackID(int trackID) const {
    for (const CompositionTrack& track : tracks_)
        if (track.trackID() == trackID) return &track;
    return nullptr;
}

MediaTime Composition::duration() const {
    MediaTime longest = MediaTime::zero();
    for (const CompositionTrack& track : tracks_)
        if (track.endTime() > longest) longest = track.endTime();
    return longest;
}

}  // namespace media
