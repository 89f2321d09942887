#pragma once

// How every movie of ours encodes its pictures, shared by the movie writer's
// video input and the meter a size estimate measures pictures with, so that
// what is measured is what a movie holds.

#include "platform/foundation/Error.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/FFmpeg.h"
#include "platform/media/PixelBuffer.h"

namespace media::detail {

// How much of the machine an encoder may hold. A movie's encoder works on
// several pictures at once (a thread each, and a look-ahead of ten) for
// speed: at 3840×2160 that is most of a gigabyte. A small one keeps one
// picture in work, cut into slices its threads share, and none ahead: a
// fifth of that memory, and pictures a few percent larger than the movie's
// encoder makes them.
enum class EncoderFootprint { Movie, Small };

// libx264 opened for `settings` as AssetWriterInput.h tells it. With
// `globalHeader` the stream's parameter sets go once into the encoder's
// extradata, as a container that keeps them there (QuickTime) asks, and not
// into the pictures.
foundation::Status openVideoEncoder(const VideoSettings& settings, bool globalHeader, CodecContextPtr& encoder,
                                    EncoderFootprint footprint = EncoderFootprint::Movie);

// A 4:2:0 planar, 32ARGB or 32BGRA picture of the frame's size copied into
// the frame (writable, yuv420p); false, the frame untouched, for a picture
// of another size or format.
bool copyPictureInto(const PixelBuffer& picture, AVFrame& frame);

}  // namespace media::detail
