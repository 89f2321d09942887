#include "app/core/UIImageFilter.h"

#include <QImage>

UIImageFilter::UIImageFilter(std::shared_ptr<RGBFilter> filter) : filter_(std::move(filter)) {}

graphics::Image UIImageFilter::processImage(const graphics::Image& image) const {
    if (image.isNull()) return {};
    // 32-bit rows are never padded, so the buffer has rows of exactly
    // width * 4 bytes as the filters expect.
    QImage pixels = image.bitmap().convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (pixels.isNull()) return {};
    // bits() detaches: the caller's picture is never changed.
    uint8_t* bytes = pixels.bits();
    if (filter_) filter_->processFilter(bytes, pixels.width(), pixels.height());
    return graphics::Image(std::move(pixels), 1.0, image.orientation());
}
