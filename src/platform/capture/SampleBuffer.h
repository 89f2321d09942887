#pragma once

// One frame as a capture output hands it out: its pixels as the sensor
// wrote them, its presentation time and its attachments.
//
// Frames of a session are 32-bit BGRA with premultiplied alpha. A camera's
// rows may be padded past width × 4 bytes (its bytes-per-row alignment), so
// readers go by bytesPerRow. Buffers made from planes stand for what other
// producers deliver: bi-planar 4:2:0 YCbCr ("420f" full range, "420v"
// video range) with a luma plane and an interleaved Cb/Cr plane.

#include "platform/capture/CaptureTypes.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/media/MediaTime.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace capture {

// One plane of a buffer: `height` rows of `bytesPerRow` bytes, of which the
// first `width` samples count.
struct PixelPlane {
    int width = 0;
    int height = 0;
    int64_t bytesPerRow = 0;
    std::vector<uint8_t> bytes;
};

// Shared, so a delegate may keep a frame past its call
// (shared_from_this).
class SampleBuffer : public std::enable_shared_from_this<SampleBuffer> {
public:
    // A session's frame, made from the upright view on first use (so a
    // frame every output drops costs nothing), its rows padded to
    // `rowAlignment` bytes.
    SampleBuffer(QImage viewed, graphics::ImageOrientation sensorOrientation, int64_t frameNumber,
                 media::MediaTime presentationTime = media::MediaTime::invalid(), int rowAlignment = 4);
    // A buffer of given planes: one BGRA plane (bytes per row at least
    // width × 4), or a luma plane and a Cb/Cr plane of half the size for
    // "420f" and "420v". Null when the planes do not fit the format.
    static std::shared_ptr<SampleBuffer> withPlanes(std::string pixelFormat, std::vector<PixelPlane> planes,
                                                    media::MediaTime presentationTime,
                                                    std::optional<std::string> ycbcrMatrix = std::nullopt);

    // kPixelFormatBGRA, kPixelFormat420f or kPixelFormat420v.
    const std::string& pixelFormat() const { return pixelFormat_; }
    bool isPlanar() const { return pixelFormat_ != kPixelFormatBGRA; }

    // The BGRA pixels as an image over the buffer (padding included in its
    // bytes per line); a null image for planar buffers.
    const QImage& pixelBuffer() const;
    const uint8_t* baseAddress() const { return pixelBuffer().constBits(); }
    int64_t bytesPerRow() const { return pixelBuffer().bytesPerLine(); }
    // The picture's size (the luma plane's for planar buffers).
    int width() const;
    int height() const;

    // Planes of a planar buffer; none for BGRA, as the platform counts them.
    size_t planeCount() const { return isPlanar() ? planes_.size() : 0; }
    const PixelPlane& plane(size_t index) const { return planes_.at(index); }

    // The YCbCr matrix the producer used (kYCbCrMatrixITU_R_601_4 or
    // kYCbCrMatrixITU_R_709_2); none when it did not say.
    const std::optional<std::string>& ycbcrMatrix() const { return ycbcrMatrix_; }

    // Counts the frames of the session from 0.
    int64_t frameNumber() const { return frameNumber_; }
    media::MediaTime presentationTime() const { return presentationTime_; }

    // What the producer says about the picture ("Orientation" as EXIF's
    // 1-8, "PixelWidth", "PixelHeight"); a dictionary.
    foundation::Value attachments() const;

private:
    SampleBuffer() = default;

    std::string pixelFormat_ = kPixelFormatBGRA;
    QImage viewed_;
    graphics::ImageOrientation sensorOrientation_ = graphics::ImageOrientation::Up;
    int64_t frameNumber_ = 0;
    media::MediaTime presentationTime_;
    int rowAlignment_ = 4;
    std::vector<PixelPlane> planes_;
    std::optional<std::string> ycbcrMatrix_;
    mutable std::once_flag made_;
    mutable QImage sensor_;
};

using SampleBufferPtr = std::shared_ptr<const SampleBuffer>;

// `image` as BGRA premultiplied rows padded to `rowAlignment` bytes (the
// image itself when no padding is needed). The result owns its bytes.
QImage paddedBGRA(const QImage& image, int rowAlignment);

}  // namespace capture
