#pragma once

// The pictures of a composition's video tracks as its video composition
// makes them (see VideoComposition.h): one 32BGRA picture of renderSize ×
// renderScale pixels every frameDuration, from 0 to the end of the last
// instruction. Each layer shows the frame its track shows at that time (the
// source frame of the segment there, from the segment's track of its file;
// nothing in a gap), turned by the layer's transform and drawn at the
// layer's opacity over the layers below it.
//
// One thread at a time.

#include "platform/foundation/Error.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/media/Composition.h"
#include "platform/media/SampleBuffers.h"
#include "platform/media/VideoComposition.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace media {

class VideoCompositionReader {
public:
    // Copies both; an error of kMediaErrorDomain for a video composition
    // that validate() refuses.
    static foundation::Result<std::unique_ptr<VideoCompositionReader>> open(Composition composition,
                                                                             VideoComposition videoComposition);
    ~VideoCompositionReader();
    VideoCompositionReader(const VideoCompositionReader&) = delete;
    VideoCompositionReader& operator=(const VideoCompositionReader&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // The next picture; none after the last. An error when a source cannot
    // be opened or decoded.
    foundation::Result<std::optional<VideoSample>> next();

private:
    class TrackPictures;
    VideoCompositionReader() = default;

    Composition composition_;
    VideoComposition video_;
    int width_ = 0, height_ = 0;
    int64_t frameIndex_ = 0;
    std::map<int, std::unique_ptr<TrackPictures>> tracks_;
};

// One layer of a composed picture: a 32BGRA picture turned by `transform`
// (its pixels into the render size's) and drawn at `opacity`.
struct ComposedLayer {
    const PixelBuffer* picture = nullptr;
    graphics::AffineTransform transform;
    float opacity = 1;
};

// The layers (the top one first) drawn over black, scaled by `renderScale`,
// into a 32BGRA picture of `width` × `height` pixels: each pixel the layer's
// colour times its opacity plus what lies below times one minus it, the
// pictures sampled bilinearly where a transform does not map pixels onto
// pixels.
PixelBuffer composeLayers(int width, int height, double renderScale, const std::vector<ComposedLayer>& topFirst);

}  // namespace media
