#pragma once

// JPEG through libjpeg-turbo, straight from and into 32-bit pixel buffers.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace graphics::jpeg {

struct HeaderInfo {
    int width = 0;  // stored pixels, before orientation
    int height = 0;
    ImageOrientation orientation = ImageOrientation::Up;
};

// True when the bytes begin like a JPEG file.
bool looksLikeJpeg(const uint8_t* data, size_t length);

// Size and orientation from the headers alone, without decoding pixels.
foundation::Result<HeaderInfo> readHeader(const uint8_t* data, size_t length);

// Decodes the picture; CMYK and YCCK pictures (print files) are turned into
// colour. `scaleDenominator` 1, 2, 4 or 8 decodes at 1/n of the size
// (rounded up) directly in the decoder, which is how thumbnails are made
// without a full-size bitmap. Truncated or corrupt data is an error.
foundation::Result<Image> decode(const uint8_t* data, size_t length, int scaleDenominator = 1);

// How many decodes the calling thread has started so far: lets a screen's
// tests and benchmarks show that scrolling decodes nothing on the main thread.
uint64_t decodeCountOnThisThread();
// How many decodes all threads have started so far.
uint64_t decodeCount();

// A picture's YCbCr planes as a 4:2:0 JPEG stores them: full-range luma of
// width × height bytes, then the blue- and the red-difference planes of half
// the width and height each.
struct Planes420 {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;
};

// Decodes a 4:2:0 YCbCr stream of even width and height that shows upright
// (no EXIF turn) straight into its planes: no colour conversion and no
// chroma upsampling, for consumers that want YCbCr anyway. None for any
// other stream, damaged data included; decode() reads those. The planes are
// written into `store` (a store of the right size is used as it is, its
// bytes all overwritten, nothing cleared first).
std::optional<Planes420> decodePlanes420(const uint8_t* data, size_t length, std::vector<uint8_t> store = {});

// Decodes at the smallest decoder scale whose result still covers
// maxPixelWidth x maxPixelHeight (of the stored bitmap); for thumbnails.
foundation::Result<Image> decodeForMaximumSize(const uint8_t* data, size_t length, int maxPixelWidth,
                                               int maxPixelHeight);

// Encodes the stored bitmap (orientation not applied) with quality 0.0-1.0
// mapped onto 0-100; 4:2:0 subsampling, as cameras write. Alpha is dropped.
// Colour is stored at half resolution unless `fullColourResolution` asks
// for every pixel's own colour (for pictures later compared or re-encoded).
foundation::Result<foundation::Bytes> encode(const QImage& bitmap, double quality, bool fullColourResolution = false);

// The EXIF orientation of a JPEG stream (APP1 "Exif" TIFF data, IFD0 tag
// 0x0112); Up when absent, unknown or unreadable.
ImageOrientation exifOrientation(const uint8_t* data, size_t length);
// EXIF values 1-8 in the platform's orientation; Up for anything else.
ImageOrientation orientationFromExif(int exifValue);

// Whether the headers hold an Adobe APP14 segment, whose CMYK samples are
// stored inverted (255 minus the ink), as Photoshop writes them.
bool hasAdobeMarker(const uint8_t* data, size_t length);
// `count` CMYK pixels of 4 bytes as the decoder hands them out turned in
// place into Qt's RGB32 (blue, green, red, 0xFF in memory), plain ink
// amounts or, with `adobeInverted`, 255 minus them.
void cmykToRgb32(uint8_t* pixels, size_t count, bool adobeInverted);

}  // namespace graphics::jpeg
