#include "platform/graphics/IncrementalImageSource.h"

#include "platform/graphics/IncrementalDecoder.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"

namespace graphics {

namespace detail {

Image IncrementalDecoder::snapshot() const {
    if (error_ || rowsDone_ <= 0 || bitmap_.isNull()) return Image();
    if (rowsDone_ >= bitmap_.height()) return Image(bitmap_.copy());
    return Image(bitmap_.copy(0, 0, bitmap_.width(), rowsDone_));
}

bool IncrementalDecoder::beginPicture(int width, int height, QImage::Format format) {
    size_ = PixelSize{width, height};
    if (width <= 0 || height <= 0) {
        failCorrupt("the picture has no pixels");
        return false;
    }
    // Both factors fit in 31 bits, so the product cannot overflow 64.
    if (int64_t(width) * int64_t(height) > IncrementalImageSource::kMaximumPixels) {
        failCorrupt("unsupported picture size " + std::to_string(width) + "x" + std::to_string(height));
        return false;
    }
    bitmap_ = QImage(width, height, format);
    if (bitmap_.isNull()) {
        fail(foundation::Error(kImageErrorDomain, kImageErrorCorruptData, "Not enough memory for the picture."));
        return false;
    }
    bitmap_.fill(0);
    return true;
}

void IncrementalDecoder::fail(foundation::Error error) {
    if (!error_) error_ = std::move(error);
    bitmap_ = QImage();
    rowsDone_ = 0;
}

void IncrementalDecoder::failCorrupt(const std::string& detail) {
    fail(foundation::Error(kImageErrorDomain, kImageErrorCorruptData,
                           std::string("The ") + formatName_ + " data cannot be read: " + detail));
}

}  // namespace detail

IncrementalImageSource::IncrementalImageSource() = default;
IncrementalImageSource::~IncrementalImageSource() = default;

void IncrementalImageSource::updateData(const foundation::Bytes& data, bool final) {
    updateData(data.data(), data.size(), final);
}

void IncrementalImageSource::updateData(const uint8_t* data, size_t length, bool final) {
    if (error_) return;
    if (!decoder_) {
        // Three bytes tell a JPEG, eight a PNG.
        if (length >= 3 && jpeg::looksLikeJpeg(data, length))
            decoder_ = detail::makeIncrementalJpegDecoder();
        else if (length >= 8 && png::looksLikePng(data, length))
            decoder_ = detail::makeIncrementalPngDecoder();
        else if (length >= 8 || final)
            error_ = foundation::Error(kImageErrorDomain, kImageErrorUnknownFormat,
                                       "The data is not a JPEG or PNG picture.");
        if (!decoder_) return;
    }
    decoder_->feed(data, length, final);
    if (decoder_->error()) error_ = decoder_->error();
}

IncrementalImageSource::Status IncrementalImageSource::status() const {
    if (error_) return Status::InvalidData;
    if (!decoder_) return Status::UnknownType;
    return decoder_->isComplete() ? Status::Complete : Status::Incomplete;
}

std::optional<PixelSize> IncrementalImageSource::pixelSize() const {
    return decoder_ ? decoder_->pixelSize() : std::nullopt;
}

uint64_t IncrementalImageSource::changeCount() const { return decoder_ ? decoder_->changeCount() : 0; }

Image IncrementalImageSource::createImage() const { return decoder_ && !error_ ? decoder_->snapshot() : Image(); }

}  // namespace graphics
