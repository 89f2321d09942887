#pragma once

// Makes captured and imported pictures upright and limits their size before
// they are stored.

#include "platform/graphics/Image.h"

#include <cstdint>

namespace UIImage_ScaleAndRotate {

// The picture turned upright, its longer edge at most `maxResolution` pixels
// (aspect kept). A maximum of 0 or less means no limit. A null image gives a
// null image. Throws std::logic_error("Invalid image orientation") for an
// orientation outside 0-7.
graphics::Image scaledAndRotatedImageWithMaxResolution(const graphics::Image& image, int32_t maxResolution);

}  // namespace UIImage_ScaleAndRotate
