#include "platform/graphics/ImageName.h"

namespace graphics {

namespace {
constexpr const char* kNameKey = "tollivar-name";
}

Image withImageName(Image image, std::string_view name) {
    if (image.isNull()) return image;
    QImage bitmap = image.bitmap();
    const double scale = image.scale();
    const ImageOrientation orientation = image.orientation();
    const ImageRenderingMode mode = image.renderingMode();
    // Dropping the image's own handle first leaves the bitmap unshared, so
    // the text goes in without a copy of the pixels.
    image = Image();
    bitmap.setText(kNameKey, QString::fromUtf8(name.data(), qsizetype(name.size())));
    return Image(std::move(bitmap), scale, orientation).withRenderingMode(mode);
}

std::string imageName(const Image& image) {
    if (image.isNull()) return {};
    return image.bitmap().text(kNameKey).toStdString();
}

}  // namespace graphics
