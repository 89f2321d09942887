#pragma once

// The name a picture was looked up by among the application's resources,
// carried in the bitmap's own text entries so that it follows every copy of
// the image at no cost. A view that shows a named picture can then be told
// by that name (the control map of the window host lists buttons and image
// views so).

#include "platform/graphics/Image.h"

#include <string>
#include <string_view>

namespace graphics {

// The image with `name` attached; the pixels are shared, not copied, when
// the caller hands over the only handle on them.
Image withImageName(Image image, std::string_view name);
// The attached name, or empty.
std::string imageName(const Image& image);

}  // namespace graphics
