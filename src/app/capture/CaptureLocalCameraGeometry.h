#pragma once

// The arithmetic of the device camera, apart from the camera itself: which
// way up a picture taken now is, and where a tap on the preview lies in the
// camera's unit square.

#include "platform/capture/VideoPreviewLayer.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>

// The orientation of a picture taken with the camera at `position` (1 back,
// 2 front) while the interface is shown in `interfaceOrientation` (1
// portrait, 2 upside down, 3 and 4 the landscapes). Anything else gives
// Right (3).
graphics::ImageOrientation imageOrientationForInterface(int interfaceOrientation, int64_t position);

// A point of a preview of `viewSize` as a point of interest in the camera's
// unit square, for the layer's gravity and mirroring. `cleanAperture` is the
// camera's frame size (none without a video input: the centre). Points
// outside the picture of an aspect-fit layer give the centre.
graphics::Point pointOfInterestForViewPoint(graphics::Point point, graphics::Size viewSize,
                                            capture::VideoGravity gravity, bool mirrored,
                                            std::optional<graphics::Size> cleanAperture);
