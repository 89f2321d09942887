#pragma once

// How the video tracks of a composition make one picture at each time, as
// the platform's video composition says it: a picture every frameDuration
// of renderSize × renderScale pixels, drawn by the instruction whose time
// range holds the time. An instruction lists layers, the top one first, each
// showing one video track's picture turned by a transform (from the stored
// picture's pixels into the render size's, y down) at an opacity; both may
// step or ramp linearly over time. What no layer covers is black, and so is
// a time no instruction holds.
//
//     media::VideoComposition video;
//     video.frameDuration = MediaTime::make(1, 30);
//     video.renderSize = {1280, 720};
//     media::VideoCompositionLayerInstruction top(2);
//     top.setOpacityRamp(0, 1, crossFade);
//     video.instructions.push_back({wholeRange, {top, media::VideoCompositionLayerInstruction(1)}});
//
// A plain value, copied by readers.

#include "platform/foundation/Error.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"
#include "platform/media/Composition.h"
#include "platform/media/MediaTime.h"

#include <vector>

namespace media {

class VideoCompositionLayerInstruction {
public:
    explicit VideoCompositionLayerInstruction(int trackID) : trackID_(trackID) {}

    int trackID() const { return trackID_; }

    // From `atTime` on (until a later change) the layer shows at `opacity`,
    // clamped to 0..1. Before its first change a layer is opaque (1.0).
    void setOpacity(float opacity, const MediaTime& atTime);
    // Over `timeRange` the opacity goes linearly from start to end, and
    // stays at end after it.
    void setOpacityRamp(float startOpacity, float endOpacity, const TimeRange& timeRange);
    // The same for the transform, the identity before its first change;
    // a ramp moves each of the six numbers linearly.
    void setTransform(const graphics::AffineTransform& transform, const MediaTime& atTime);
    void setTransformRamp(const graphics::AffineTransform& startTransform,
                          const graphics::AffineTransform& endTransform, const TimeRange& timeRange);
    // A change at the time another one starts replaces it; one with an
    // invalid time or range changes nothing.

    float opacityAtTime(const MediaTime& time) const;
    graphics::AffineTransform transformAtTime(const MediaTime& time) const;

    template <class T>
    struct Ramp {
        TimeRange timeRange;  // a step has zero duration
        T start, end;
    };

private:
    int trackID_;
    std::vector<Ramp<float>> opacity_;  // by start time
    std::vector<Ramp<graphics::AffineTransform>> transform_;
};

struct VideoCompositionInstruction {
    TimeRange timeRange;
    // The top layer first. A video track without a layer is not shown.
    std::vector<VideoCompositionLayerInstruction> layerInstructions;
};

struct VideoComposition {
    MediaTime frameDuration = MediaTime::invalid();
    graphics::Size renderSize;
    double renderScale = 1.0;
    // In time order, not overlapping.
    std::vector<VideoCompositionInstruction> instructions;

    // One instruction over all the video tracks (the first track on top,
    // opaque, untransformed) for as long as any has a segment; the render
    // size and frame rate of the first video segment's source. No
    // instructions when the composition has no video. An error when that
    // source cannot be read.
    static foundation::Result<VideoComposition> withPropertiesOf(const Composition& composition);

    // Whether a reader can follow it for `composition`: a positive frame
    // duration, render size and scale when there are instructions (pictures
    // of at most 16384 pixels a side), valid
    // time ranges in order without overlaps, and layers of video tracks the
    // composition has. The error says what is wrong.
    foundation::Status validate(const Composition& composition) const;
    // Where the last instruction ends; zero without instructions.
    MediaTime duration() const;
    // The instruction whose range holds `time`; null when none does.
    const VideoCompositionInstruction* instructionAtTime(const MediaTime& time) const;
};

}  // namespace media
