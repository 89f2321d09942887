#pragma once

// An editable arrangement of pieces of media files on one timeline: tracks,
// each a list of segments that place a range of a source file's track (or
// silence) at a time of the composition. Gaps between segments are silence.
// A composition is a plain value: readers copy it, so it may be changed or
// dropped while they read.
//
//     media::Composition composition;
//     auto& track = composition.addMutableTrack(media::MediaType::Audio);
//     track.insertTimeRange(sourceRange, asset, *asset.firstAudioTrack(), at);

#include "platform/foundation/Error.h"
#include "platform/media/Asset.h"
#include "platform/media/MediaTime.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace media {

struct CompositionSegment {
    // The file the segment plays; empty for silence.
    std::string sourcePath;
    int sourceTrackID = 0;
    // Where in the source the segment begins.
    MediaTime sourceStart = MediaTime::zero();
    // Where it lies on the composition's timeline.
    TimeRange target;

    bool isEmpty() const { return sourcePath.empty(); }
};

class CompositionTrack {
public:
    CompositionTrack(int trackID, MediaType mediaType) : trackID_(trackID), mediaType_(mediaType) {}

    int trackID() const { return trackID_; }
    MediaType mediaType() const { return mediaType_; }
    // In timeline order, never overlapping.
    const std::vector<CompositionSegment>& segments() const { return segments_; }
    // The end of the last segment; zero for a track without segments.
    MediaTime endTime() const;

    // Places `sourceRange` of the asset's track at `atTime`. What the track
    // holds from `atTime` on moves later by the range's duration (a segment
    // across `atTime` is split). An error for an invalid range or time, or a
    // source track that is not of this track's media type; a range of zero
    // duration changes nothing.
    foundation::Status insertTimeRange(const TimeRange& sourceRange, const Asset& asset, const AssetTrack& sourceTrack,
                                       const MediaTime& atTime);
    // Places silence over `range`, moving later what lies from its start on.
    foundation::Status insertEmptyTimeRange(const TimeRange& range);

private:
    foundation::Status insert(CompositionSegment segment);

    int trackID_;
    MediaType mediaType_;
    std::vector<CompositionSegment> segments_;
};

class Composition {
public:
    // A new empty track; track identifiers count from 1 in the order added.
    // The reference stays valid while the composition lives.
    CompositionTrack& addMutableTrack(MediaType mediaType);
    const std::deque<CompositionTrack>& tracks() const { return tracks_; }
    // Null for an unknown identifier.
    const CompositionTrack* trackWithTrackID(int trackID) const;
    // The latest end of any track; zero for an empty composition.
    MediaTime duration() const;

private:
    std::deque<CompositionTrack> tracks_;
};

using CompositionPtr = std::shared_ptr<Composition>;

}  // namespace media
