#pragma once

// The format-specific halves of IncrementalImageSource (one per codec).

#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/IncrementalImageSource.h"

#include <QImage>
#include <memory>
#include <optional>
#include <string>

namespace graphics::detail {

class IncrementalDecoder {
public:
    virtual ~IncrementalDecoder() = default;

    // The whole stream so far. After a failure, error() is set and further
    // calls do nothing.
    virtual void feed(const uint8_t* data, size_t length, bool final) = 0;

    bool isComplete() const { return complete_; }
    const std::optional<foundation::Error>& error() const { return error_; }
    std::optional<PixelSize> pixelSize() const { return size_; }
    uint64_t changeCount() const { return changes_; }

    // A copy of the rows decoded so far (all of them once a whole pass is).
    Image snapshot() const;

protected:
    // Checks the header's size and makes the bitmap the rows go into;
    // false (with the error set) when the size is refused or no memory is left.
    bool beginPicture(int width, int height, QImage::Format format);
    void fail(foundation::Error error);
    void failCorrupt(const std::string& detail);

    QImage bitmap_;
    int rowsDone_ = 0;      // rows of bitmap_ that hold decoded pixels
    uint64_t changes_ = 0;  // counts every change of bitmap_'s pixels
    bool complete_ = false;
    std::optional<PixelSize> size_;
    std::optional<foundation::Error> error_;
    const char* formatName_ = "";
};

std::unique_ptr<IncrementalDecoder> makeIncrementalJpegDecoder();
std::unique_ptr<IncrementalDecoder> makeIncrementalPngDecoder();

}  // namespace graphics::detail
