#pragma once

// Pictures converted and scaled by libswscale without letting it touch
// memory outside them. Its SIMD code reads and writes whole blocks of up to
// 64 bytes from the start of a row, so a row whose length is not a multiple
// of 64 bytes is overrun: the last row of a narrow picture (2 to 14 pixels
// wide: a movie of 8×1080) by up to 60 bytes past the end of its buffer.
// Some formats are read past their last pixel even when the row is whole
// blocks long (packed 24-bit RGB by 4 bytes). Planes of a format known to
// stay inside whole-block rows, whose rows all are whole blocks, are handed
// over as they are; any other picture goes through a padded frame, copied
// in before or out after the conversion.

#include "platform/foundation/Error.h"
#include "platform/media/FFmpeg.h"
#include "platform/media/PixelBuffer.h"

#include <array>
#include <cstdint>

namespace media {

// A picture's planes as libswscale takes them, in memory of the caller's.
struct PicturePlanes {
    AVPixelFormat format = AV_PIX_FMT_NONE;
    int width = 0;
    int height = 0;
    std::array<uint8_t*, 4> data{};
    std::array<int, 4> linesize{};
};

// Converts `source` into `destination` with `context`, made for their
// formats and sizes. Fails when a padded frame cannot be had or the
// conversion gives fewer rows than the destination has.
foundation::Status scalePicture(SwsContext* context, const PicturePlanes& source, const PicturePlanes& destination);

// Bytes of zeros behind every row of a padded frame, and behind its last
// row: more than libswscale reads past the last pixel of any format.
inline constexpr int kScaleRowSlack = 64;

// A blank picture of `like`'s format and size, as scalePicture
// hands libswscale one: rows of whole 64-byte blocks with at least
// kScaleRowSlack bytes behind each row's pixels and behind the last row, all
// of the buffer zeroed. None when the size cannot be had.
AVFramePtr paddedPictureFrame(const PicturePlanes& like);

// The same layout without the "JPEG" full-range meaning some YCbCr formats
// carry in their name (yuvj420p is yuv420p); any other format as it is.
// libswscale turns such a format into the plain one and full range when it
// makes a context, so a context asked for the named one is never reused.
AVPixelFormat withoutRangeInName(AVPixelFormat format);

// The planes of an FFmpeg frame, or of a pixel buffer in any of its
// formats (not copied; a const picture's planes are for reading only).
PicturePlanes planesOf(const AVFrame& frame);
PicturePlanes planesOf(const PixelBuffer& buffer);

}  // namespace media
