#include "components/support/UIImage_ForceDecode.h"

#include "platform/graphics/GraphicsContext.h"

namespace UIImage_ForceDecode {

graphics::Image decodedImageWithImage(const graphics::Image& image) {
    if (image.isNull()) return {};
    bool opaque = !image.hasAlpha();
    graphics::Size size = image.size();
    // The picture's own scale rather than the screen's keeps every pixel of a
    // 2x picture on a 1x screen.
    graphics::GraphicsContext context(size, image.scale(), opaque);
    context.drawImage(image, graphics::Rect{0, 0, size.width, size.height});
    return context.makeImage();
}

}  // namespace UIImage_ForceDecode
