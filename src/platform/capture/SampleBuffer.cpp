#include "platform/capture/SampleBuffer.h"

#include "platform/capture/SensorOrientation.h"
#include "platform/graphics/JpegCodec.h"

#include <cstdlib>
#include <cstring>

namespace capture {

QImage paddedBGRA(const QImage& image, int rowAlignment) {
    const QImage bgra = image.format() == QImage::Format_ARGB32_Premultiplied
                            ? image
                            : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int64_t alignment = std::max(4, rowAlignment);
    const int64_t tight = int64_t(bgra.width()) * 4;
    const int64_t bytesPerRow = (tight + alignment - 1) / alignment * alignment;
    if (bgra.isNull() || bytesPerRow == bgra.bytesPerLine()) return bgra;
    auto* bytes = static_cast<uchar*>(std::calloc(size_t(bytesPerRow) * size_t(bgra.height()), 1));
    if (!bytes) return {};
    for (int row = 0; row < bgra.height(); ++row) {
        std::memcpy(bytes + bytesPerRow * row, bgra.constScanLine(row), size_t(tight));
    }
    return QImage(bytes, bgra.width(), bgra.height(), qsizetype(bytesPerRow), QImage::Format_ARGB32_Premultiplied,
                  std::free, bytes);
}

SampleBuffer::SampleBuffer(QImage viewed, graphics::ImageOrientation sensorOrientation, int64_t frameNumber,
                           media::MediaTime presentationTime, int rowAlignment)
    : viewed_(std::move(viewed)),
      sensorOrientation_(sensorOrientation),
      frameNumber_(frameNumber),
      presentationTime_(presentationTime),
      rowAlignment_(rowAlignment) {}

std::shared_ptr<SampleBuffer> SampleBuffer::withPlanes(std::string pixelFormat, std::vector<PixelPlane> planes,
                                                       media::MediaTime presentationTime,
                                                       std::optional<std::string> ycbcrMatrix) {
    auto fits = [](const PixelPlane& plane, int bytesPerSample) {
        return plane.width > 0 && plane.height > 0 && plane.bytesPerRow >= int64_t(plane.width) * bytesPerSample &&
               plane.bytes.size() >= size_t(plane.bytesPerRow) * size_t(plane.height);
    };
    auto buffer = std::shared_ptr<SampleBuffer>(new SampleBuffer());
    buffer->pixelFormat_ = pixelFormat;
    buffer->presentationTime_ = presentationTime;
    buffer->ycbcrMatrix_ = std::move(ycbcrMatrix);
    if (pixelFormat == kPixelFormatBGRA) {
        if (planes.size() != 1 || !fits(planes[0], 4) || planes[0].bytesPerRow % 4 != 0) return nullptr;
        // The image keeps the plane's bytes alive through its cleanup.
        auto* owned = new std::vector<uint8_t>(std::move(planes[0].bytes));
        buffer->sensor_ = QImage(
            owned->data(), planes[0].width, planes[0].height, qsizetype(planes[0].bytesPerRow),
            QImage::Format_ARGB32_Premultiplied, [](void* info) { delete static_cast<std::vector<uint8_t>*>(info); },
            owned);
        std::call_once(buffer->made_, [] {});
        return buffer;
    }
    if (pixelFormat != kPixelFormat420f && pixelFormat != kPixelFormat420v) return nullptr;
    if (planes.size() != 2 || !fits(planes[0], 1) || !fits(planes[1], 2) ||
        planes[1].width != (planes[0].width + 1) / 2 || planes[1].height != (planes[0].height + 1) / 2) {
        return nullptr;
    }
    buffer->planes_ = std::move(planes);
    std::call_once(buffer->made_, [] {});
    return buffer;
}

const QImage& SampleBuffer::pixelBuffer() const {
    std::call_once(made_, [this] {
        sensor_ = paddedBGRA(
            sensorFrameFromUpright(viewed_.convertToFormat(QImage::Format_ARGB32_Premultiplied), sensorOrientation_),
            rowAlignment_);
    });
    return sensor_;
}

int SampleBuffer::width() const { return isPlanar() ? planes_[0].width : pixelBuffer().width(); }
int SampleBuffer::height() const { return isPlanar() ? planes_[0].height : pixelBuffer().height(); }

foundation::Value SampleBuffer::attachments() const {
    int exif = 1;
    for (int value = 1; value <= 8; ++value) {
        if (graphics::jpeg::orientationFromExif(value) == sensorOrientation_) exif = value;
    }
    foundation::Dictionary dictionary;
    dictionary.set("Orientation", exif);
    dictionary.set("PixelWidth", width());
    dictionary.set("PixelHeight", height());
    return dictionary;
}

}  // namespace capture
