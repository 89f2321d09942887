#pragma once

// Redraws a picture into a fresh display-ready bitmap (32-bit, premultiplied,
// upright) so that the work is done on a background queue and not when the
// picture is first shown.

#include "platform/graphics/Image.h"

namespace UIImage_ForceDecode {

// The picture drawn at its size in points and its own scale, orientation
// applied. Opaque when the bitmap has no alpha channel. A null image gives a
// null image.
graphics::Image decodedImageWithImage(const graphics::Image& image);

}  // namespace UIImage_ForceDecode
