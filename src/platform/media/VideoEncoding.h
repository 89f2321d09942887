#pragma once

// How every movie of ours encodes its pictures, shared by the movie writer's
// video input and the meter a size estimate measures pictures with, so that
// what is measured is what a movie holds.

#include "platform/foundation/Error.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/FFmpeg.h"
#include "platform/media/PixelBuffer.h"

namespace media::detail {

// libx264 opened for `settings` as AssetWriterInput.h tells it. With
// `globalHeader` the stream's parameter sets go once into the encoder's
// extradata, as a container that keeps them there (QuickTime) asks, and not
// into the pictures.
foundation::Status openVideoEncoder(const VideoSettings& settings, bool globalHeader, CodecContextPtr& encoder);

// A 4:2:0 planar, 32ARGB or 32BGRA picture of the frame's size copied into
// the frame (writable, yuv420p); false, the frame untouched, for a picture
// of another size or format.
bool copyPictureInto(const PixelBuffer& picture, AVFrame& frame);

}  // namespace media::detail
