#pragma once

// Value types shared across the pipeline: rotation modes, uniform vectors
// and matrices, and the frame time that sources hand their targets.

#include "platform/graphics/Geometry.h"
#include "platform/media/MediaTime.h"

#include <array>

namespace gpuimage {

// How a target turns the texture it receives; 1, 2, 5 and 6 exchange width
// and height.
enum class GPUImageRotationMode : int {
    NoRotation = 0,
    RotateLeft = 1,   // a quarter turn left
    RotateRight = 2,  // a quarter turn right
    FlipVertical = 3,
    FlipHorizontal = 4,
    RotateRightFlipVertical = 5,    // right turn, then vertical flip
    RotateRightFlipHorizontal = 6,  // right turn, then horizontal flip
    Rotate180 = 7,
};

bool rotationSwapsWidthAndHeight(GPUImageRotationMode mode);
// The mode's texture coordinates for the quad corners bottom-left,
// bottom-right, top-left, top-right, as (s, t) pairs.
const std::array<float, 8>& textureCoordinatesForRotationMode(GPUImageRotationMode mode);
// Where a point in 0..1 coordinates lands under the mode.
graphics::Point rotatedPoint(graphics::Point point, GPUImageRotationMode mode);
// The screen-filling quad in the same corner order.
inline constexpr std::array<float, 8> kGPUImageQuadVertices = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};

struct GPUVector3 {
    float one = 0, two = 0, three = 0;
};
struct GPUVector4 {
    float one = 0, two = 0, three = 0, four = 0;
};
struct GPUMatrix3x3 {
    GPUVector3 one, two, three;
};
struct GPUMatrix4x4 {
    GPUVector4 one, two, three, four;
};

using FrameTime = media::MediaTime;
// A still picture's frame time: it holds at every moment, so multi-input
// filters do not wait for it again. Unlike the invalid time of a raw-data push.
inline FrameTime indefiniteFrameTime() { return media::MediaTime::positiveInfinity(); }
inline bool isIndefiniteFrameTime(const FrameTime& time) { return time.isValid() && time.isPositiveInfinity; }

inline bool isZeroSize(graphics::Size size) { return size.width == 0 && size.height == 0; }

}  // namespace gpuimage
