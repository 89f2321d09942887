#pragma once

// Decodes a JPEG or PNG picture while its bytes are still arriving, so that
// a download can show the part that is there.
//
//     graphics::IncrementalImageSource source;
//     source.updateData(bytesSoFar, /*final=*/false);
//     if (auto size = source.pixelSize()) ...
//     graphics::Image partial = source.createImage();
//
// Each update hands over the whole stream from its first byte; the stream
// only grows. Decoding goes as far as the bytes allow and resumes where it
// stopped at the next update (libjpeg with a suspending data source, libpng's
// progressive reader), so nothing is decoded twice. A header that asks for
// more than kMaximumPixels is refused before any pixel memory is taken.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace graphics {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

namespace detail {
class IncrementalDecoder;
}

class IncrementalImageSource {
public:
    // 64 megapixels: a partial picture of more is not worth its memory.
    static constexpr int64_t kMaximumPixels = int64_t(64) << 20;

    enum class Status {
        UnknownType,  // too few bytes to tell the format
        Incomplete,   // more bytes are needed
        Complete,     // the whole picture is decoded
        InvalidData,  // not a JPEG or PNG, corrupt, too large, or cut short (see error())
    };

    IncrementalImageSource();
    ~IncrementalImageSource();
    IncrementalImageSource(const IncrementalImageSource&) = delete;
    IncrementalImageSource& operator=(const IncrementalImageSource&) = delete;

    // `data` is the whole stream so far; `final` says no more will come, so a
    // picture that is still incomplete is an error.
    void updateData(const foundation::Bytes& data, bool final);
    void updateData(const uint8_t* data, size_t length, bool final);

    Status status() const;
    const std::optional<foundation::Error>& error() const { return error_; }
    // The picture's size in pixels, from its header; nullopt until known.
    std::optional<PixelSize> pixelSize() const;

    // The picture as far as it is decoded, scale 1, orientation Up; a null
    // image before any row is. A baseline JPEG or plain PNG gives the rows
    // decoded so far (a shorter picture); a progressive JPEG or interlaced
    // PNG the whole picture at its latest complete pass.
    Image createImage() const;
    // Grows whenever the picture createImage() gives changes: a partial
    // picture is worth making again only when this has moved.
    uint64_t changeCount() const;

private:
    std::unique_ptr<detail::IncrementalDecoder> decoder_;
    std::optional<foundation::Error> error_;
};

}  // namespace graphics
