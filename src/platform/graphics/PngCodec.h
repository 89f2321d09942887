#pragma once

// PNG through libpng. Every input form (grey, palette, 16-bit, with or
// without alpha) reads as 8-bit RGBA.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <cstdint>

namespace graphics::png {

bool looksLikePng(const uint8_t* data, size_t length);

// Truncated or corrupt data is an error, never a partial picture.
foundation::Result<Image> decode(const uint8_t* data, size_t length);

// 8-bit RGBA (RGB when the bitmap has no alpha channel), straight alpha.
foundation::Result<foundation::Bytes> encode(const QImage& bitmap);

}  // namespace graphics::png
