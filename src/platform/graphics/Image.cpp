#include "platform/graphics/Image.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"

#include <QColor>
#include <cmath>

namespace graphics {

bool orientationSwapsAxes(ImageOrientation orientation) {
    switch (orientation) {
        case ImageOrientation::Left:
        case ImageOrientation::Right:
        case ImageOrientation::LeftMirrored:
        case ImageOrientation::RightMirrored:
            return true;
        default:
            return false;
    }
}

std::optional<ImageOrientation> orientationFromInt(int value) {
    if (value < 0 || value > 7) return std::nullopt;
    return static_cast<ImageOrientation>(value);
}

Image::Image(QImage bitmap, double scale, ImageOrientation orientation)
    : bitmap_(std::move(bitmap)),
      scale_(std::isfinite(scale) && scale > 0 ? scale : 1.0),
      orientation_(orientationFromInt(static_cast<int>(orientation)).value_or(ImageOrientation::Up)) {}

Image Image::filled(int pixelWidth, int pixelHeight, RGBA fill, double scale) {
    if (pixelWidth <= 0 || pixelHeight <= 0) return Image();
    QImage bitmap(pixelWidth, pixelHeight, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull()) return Image();
    bitmap.fill(QColor(fill.r, fill.g, fill.b, fill.a));
    return Image(std::move(bitmap), scale);
}

Size Image::size() const {
    if (isNull()) return {};
    double w = bitmap_.width() / scale_;
    double h = bitmap_.height() / scale_;
    return orientationSwapsAxes(orientation_) ? Size{h, w} : Size{w, h};
}

RGBA Image::pixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= bitmap_.width() || y >= bitmap_.height()) return {};
    QColor c = bitmap_.pixelColor(x, y);
    return RGBA{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()),
                static_cast<uint8_t>(c.alpha())};
}

Image Image::withOrientation(ImageOrientation orientation) const { return Image(bitmap_, scale_, orientation); }

Image Image::withScale(double scale) const { return Image(bitmap_, scale, orientation_); }

Image Image::normalized() const {
    if (isNull() || orientation_ == ImageOrientation::Up) return *this;
    // Quarter turns and mirrors move whole pixels; these calls do exactly
    // that without resampling.
    QImage upright;
    switch (orientation_) {
        case ImageOrientation::Up:
            upright = bitmap_;
            break;
        case ImageOrientation::Down:
            upright = bitmap_.mirrored(true, true);
            break;
        case ImageOrientation::Left:
            upright = bitmap_.transformed(QTransform().rotate(-90));
            break;
        case ImageOrientation::Right:
            upright = bitmap_.transformed(QTransform().rotate(90));
            break;
        case ImageOrientation::UpMirrored:
            upright = bitmap_.mirrored(true, false);
            break;
        case ImageOrientation::DownMirrored:
            upright = bitmap_.mirrored(false, true);
            break;
        case ImageOrientation::LeftMirrored:
            upright = bitmap_.transformed(QTransform().rotate(-90)).mirrored(false, true);
            break;
        case ImageOrientation::RightMirrored:
            upright = bitmap_.transformed(QTransform().rotate(90)).mirrored(false, true);
            break;
    }
    return Image(std::move(upright), scale_, ImageOrientation::Up);
}

Image Image::cropped(const Rect& pixelRect) const {
    if (isNull()) return Image();
    Rect area = pixelRect.integral().intersection(Rect(0, 0, bitmap_.width(), bitmap_.height()));
    if (area.isEmpty()) return Image();
    QImage part = bitmap_.copy(static_cast<int>(area.minX()), static_cast<int>(area.minY()),
                               static_cast<int>(area.width()), static_cast<int>(area.height()));
    return Image(std::move(part), 1.0, ImageOrientation::Up);
}

Image Image::resized(int pixelWidth, int pixelHeight) const {
    if (isNull() || pixelWidth <= 0 || pixelHeight <= 0) return Image();
    return Image(bitmap_.scaled(pixelWidth, pixelHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), scale_,
                 orientation_);
}

foundation::Result<Image> Image::decode(const uint8_t* data, size_t length) {
    if (jpeg::looksLikeJpeg(data, length)) return jpeg::decode(data, length);
    if (png::looksLikePng(data, length)) return png::decode(data, length);
    return foundation::Error(kImageErrorDomain, kImageErrorUnknownFormat, "The data is not a JPEG or PNG picture.");
}

foundation::Result<Image> Image::decode(const foundation::Bytes& data) { return decode(data.data(), data.size()); }

foundation::Result<Image> Image::load(const std::string& path) {
    auto bytes = foundation::readFile(path);
    if (!bytes) return bytes.error();
    auto image = decode(*bytes);
    if (!image) {
        const foundation::Error& e = image.error();
        return foundation::Error(e.domain, e.code, e.description + " (" + path + ")");
    }
    return image;
}

foundation::Result<foundation::Bytes> Image::jpegData(double quality) const {
    if (isNull()) return foundation::Error(kImageErrorDomain, kImageErrorEmptyImage, "The image has no pixels.");
    return jpeg::encode(normalized().bitmap(), quality);
}

foundation::Result<foundation::Bytes> Image::pngData() const {
    if (isNull()) return foundation::Error(kImageErrorDomain, kImageErrorEmptyImage, "The image has no pixels.");
    return png::encode(normalized().bitmap());
}

QTransform orientationTransform(ImageOrientation orientation, int w, int h) {
    // Maps stored (x, y) onto the upright picture; see normalized().
    switch (orientation) {
        case ImageOrientation::Up:
            return QTransform();
        case ImageOrientation::Down:
            return QTransform(-1, 0, 0, -1, w, h);
        case ImageOrientation::Left:
            return QTransform(0, -1, 1, 0, 0, w);
        case ImageOrientation::Right:
            return QTransform(0, 1, -1, 0, h, 0);
        case ImageOrientation::UpMirrored:
            return QTransform(-1, 0, 0, 1, w, 0);
        case ImageOrientation::DownMirrored:
            return QTransform(1, 0, 0, -1, 0, h);
        case ImageOrientation::LeftMirrored:
            return QTransform(0, 1, 1, 0, 0, 0);
        case ImageOrientation::RightMirrored:
            return QTransform(0, -1, -1, 0, h, w);
    }
    return QTransform();
}

}  // namespace graphics
