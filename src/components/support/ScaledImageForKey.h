#pragma once

// The scale of a web image from its address: a name ending in "@2x" before an
// extension of three or four characters ("a@2x.png", "a@2x.jpeg") holds a
// picture with two pixels per point. Shared by the image cache and the
// downloader, so a picture has the same size in points from either.

#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <string_view>

namespace support {

// 2.0 for keys of the "@2x." rule, 1.0 for every other key.
double imageScaleForKey(std::string_view key);

// The decoded data with the key's scale; a null image when the data do not
// make a picture (not an image, truncated, or larger than the decoder takes).
graphics::Image scaledImageForKey(std::string_view key, const foundation::Bytes& data);
// The same pixels and orientation with the key's scale; null stays null.
graphics::Image scaledImageForKey(std::string_view key, const graphics::Image& image);

}  // namespace support
