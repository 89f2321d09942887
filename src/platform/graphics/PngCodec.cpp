#include "platform/graphics/PngCodec.h"

#include <cstring>
#include <png.h>

namespace graphics::png {

namespace {

constexpr uint64_t kMaxPixels = uint64_t(1) << 28;

foundation::Error corrupt(const char* detail) {
    return foundation::Error(kImageErrorDomain, kImageErrorCorruptData,
                             std::string("The PNG data cannot be read: ") + detail);
}

struct ImageGuard {
    png_image* image;
    ~ImageGuard() { png_image_free(image); }
};

}  // namespace

bool looksLikePng(const uint8_t* data, size_t length) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return data && length >= 8 && std::memcmp(data, signature, 8) == 0;
}

foundation::Result<Image> decode(const uint8_t* data, size_t length) {
    if (!looksLikePng(data, length)) return corrupt("not a PNG stream");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ImageGuard guard{&image};
    if (!png_image_begin_read_from_memory(&image, data, length)) return corrupt(image.message);
    if (image.width == 0 || image.height == 0 || uint64_t(image.width) * image.height > kMaxPixels ||
        image.width > 32767 || image.height > 32767)
        return corrupt("unsupported picture size");
    // The simplified reader converts grey, palette and 16-bit pictures to
    // 8-bit RGBA with straight alpha, which is QImage's RGBA8888.
    image.format = PNG_FORMAT_RGBA;
    // Without this the reader takes 16-bit samples to be linear light and
    // brightens them on the way to 8 bits; PNG samples are gamma-encoded
    // like 8-bit ones unless a gAMA or sRGB chunk says otherwise.
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    QImage bitmap(static_cast<int>(image.width), static_cast<int>(image.height), QImage::Format_RGBA8888);
    if (bitmap.isNull())
        return foundation::Error(kImageErrorDomain, kImageErrorCorruptData, "Not enough memory for the picture.");
    if (!png_image_finish_read(&image, nullptr, bitmap.bits(), static_cast<png_int_32>(bitmap.bytesPerLine()), nullptr))
        return corrupt(image.message);
    return Image(std::move(bitmap));
}

foundation::Result<foundation::Bytes> encode(const QImage& source) {
    if (source.isNull()) return foundation::Error(kImageErrorDomain, kImageErrorEmptyImage, "The image has no pixels.");
    QImage bitmap;
    png_uint_32 format;
    if (source.format() == QImage::Format_Grayscale8) {
        bitmap = source;
        format = PNG_FORMAT_GRAY;
    } else if (source.hasAlphaChannel()) {
        bitmap = source.convertToFormat(QImage::Format_RGBA8888);
        format = PNG_FORMAT_RGBA;
    } else {
        bitmap = source.convertToFormat(QImage::Format_RGB888);
        format = PNG_FORMAT_RGB;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(bitmap.width());
    image.height = static_cast<png_uint_32>(bitmap.height());
    image.format = format;
    ImageGuard guard{&image};

    auto stride = static_cast<png_int_32>(bitmap.bytesPerLine());
    // Start with a guess; the writer says how much it needs when that was too little.
    foundation::Bytes out(static_cast<size_t>(bitmap.sizeInBytes()) / 2 + 4096);
    for (int attempt = 0; attempt < 2; ++attempt) {
        png_alloc_size_t size = out.size();
        if (png_image_write_to_memory(&image, out.data(), &size, 0, bitmap.constBits(), stride, nullptr)) {
            out.resize(size);
            return out;
        }
        if (size <= out.size()) break;  // a real failure, not a short buffer
        out.resize(size);
        png_image_free(&image);
        image.warning_or_error = 0;
    }
    return foundation::Error(kImageErrorDomain, kImageErrorEncodingFailed,
                             std::string("The PNG encoder failed: ") + image.message);
}

}  // namespace graphics::png
