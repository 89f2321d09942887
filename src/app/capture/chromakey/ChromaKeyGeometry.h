#pragma once

// Where a tap on the green-screen view lands in the camera's picture, as the
// point of interest a camera takes: (0, 0) top left to (1, 1) bottom right
// of the sensor's landscape picture. The view shows the picture aspect-filled,
// so the overflow that the view crops is taken into account.

#include "platform/graphics/Geometry.h"

#include <optional>

namespace chromakeygeometry {

// `viewSize` is the source view's size, `aperture` the camera format's size
// in pixels; without a format (no video port) the answer is the centre.
graphics::Point pointOfInterest(graphics::Point point, graphics::Size viewSize, std::optional<graphics::Size> aperture);

}  // namespace chromakeygeometry
