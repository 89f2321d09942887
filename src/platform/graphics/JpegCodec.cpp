#include "platform/graphics/JpegCodec.h"

#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <turbojpeg.h>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "32-bit pixel formats below assume little-endian byte order");

namespace graphics::jpeg {

namespace {

// Pictures larger than this are refused before any pixel memory is taken, so
// a forged header cannot ask for gigabytes.
constexpr int64_t kMaxPixels = int64_t(1) << 28;

struct HandleDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleDeleter>;

foundation::Error corrupt(const std::string& detail) {
    return foundation::Error(kImageErrorDomain, kImageErrorCorruptData, "The JPEG data cannot be read: " + detail);
}

uint16_t readU16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
}

uint32_t readU32(const uint8_t* p, bool bigEndian) {
    return bigEndian ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
                     : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
}

// The orientation tag in the TIFF structure of an Exif segment; 0 when absent.
int orientationInTiff(const uint8_t* tiff, size_t length) {
    if (length < 8) return 0;
    bool bigEndian;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (tiff[0] == 'I' && tiff[1] == 'I')
        bigEndian = false;
    else
        return 0;
    if (readU16(tiff + 2, bigEndian) != 42) return 0;
    uint32_t ifd = readU32(tiff + 4, bigEndian);
    if (ifd > length || length - ifd < 2) return 0;
    uint16_t count = readU16(tiff + ifd, bigEndian);
    size_t entries = ifd + 2;
    for (uint16_t i = 0; i < count; ++i) {
        size_t entry = entries + size_t(i) * 12;
        if (entry > length || length - entry < 12) return 0;
        uint16_t tag = readU16(tiff + entry, bigEndian);
        if (tag != 0x0112) continue;
        uint16_t type = readU16(tiff + entry + 2, bigEndian);
        uint32_t valueCount = readU32(tiff + entry + 4, bigEndian);
        if (type != 3 || valueCount < 1) return 0;  // SHORT, held in the entry itself
        return readU16(tiff + entry + 8, bigEndian);
    }
    return 0;
}

struct PixelLayout {
    int format;
    int subsampling;
};

// The turbojpeg pixel format that reads the bitmap's memory as it is, or
// none when the bitmap must be converted first.
std::optional<PixelLayout> layoutFor(QImage::Format format) {
    switch (format) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return PixelLayout{TJPF_BGRX, TJSAMP_420};
        case QImage::Format_RGBX8888:
        case QImage::Format_RGBA8888_Premultiplied:
            return PixelLayout{TJPF_RGBX, TJSAMP_420};
        case QImage::Format_RGB888:
            return PixelLayout{TJPF_RGB, TJSAMP_420};
        case QImage::Format_Grayscale8:
            return PixelLayout{TJPF_GRAY, TJSAMP_GRAY};
        default:
            return std::nullopt;
    }
}

thread_local Handle tDecoder;

// The calling thread's decoder, made on first use and kept for the next
// picture: TurboJPEG starts every stream afresh on the same handle.
void* threadDecoder() {
    if (!tDecoder) tDecoder.reset(tjInitDecompress());
    return tDecoder.get();
}

// A failure may leave the decoder in the middle of a stream: the next
// picture gets a new one.
void dropThreadDecoder() { tDecoder.reset(); }

// The thread's decoder, having read the stream's header, which gave the
// picture's size.
foundation::Result<void*> openStream(const uint8_t* data, size_t length, int& width, int& height,
                                     int* colorspaceOut = nullptr, int* subsamplingOut = nullptr) {
    if (!looksLikeJpeg(data, length)) return corrupt("not a JPEG stream");
    void* handle = threadDecoder();
    if (!handle) return corrupt("the decoder could not start");
    int subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle, data, static_cast<unsigned long>(length), &width, &height, &subsampling,
                            &colorspace) != 0) {
        auto error = corrupt(tjGetErrorStr2(handle));
        dropThreadDecoder();
        return error;
    }
    if (width <= 0 || height <= 0) return corrupt("no picture size");
    if (colorspaceOut) *colorspaceOut = colorspace;
    if (subsamplingOut) *subsamplingOut = subsampling;
    return handle;
}

}  // namespace

bool looksLikeJpeg(const uint8_t* data, size_t length) {
    return data && length >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

ImageOrientation orientationFromExif(int exifValue) {
    switch (exifValue) {
        case 1:
            return ImageOrientation::Up;
        case 2:
            return ImageOrientation::UpMirrored;
        case 3:
            return ImageOrientation::Down;
        case 4:
            return ImageOrientation::DownMirrored;
        case 5:
            return ImageOrientation::LeftMirrored;
        case 6:
            return ImageOrientation::Right;
        case 7:
            return ImageOrientation::RightMirrored;
        case 8:
            return ImageOrientation::Left;
        default:
            return ImageOrientation::Up;
    }
}

namespace {

// Calls `visit(marker, payload, payloadLength)` for each header segment in
// front of the first scan until it returns true; false when none did.
template <typename Visitor>
bool findHeaderSegment(const uint8_t* data, size_t length, Visitor visit) {
    if (!looksLikeJpeg(data, length)) return false;
    size_t pos = 2;
    while (pos + 1 < length) {
        if (data[pos] != 0xFF) return false;              // lost sync: give up quietly
        while (pos < length && data[pos] == 0xFF) ++pos;  // fill bytes
        if (pos >= length) break;
        uint8_t marker = data[pos++];
        if (marker == 0xD9 || marker == 0xDA) break;  // end of image, start of scan: no more headers
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length field
        if (length - pos < 2) break;
        size_t segmentLength = size_t(data[pos]) << 8 | data[pos + 1];
        if (segmentLength < 2 || segmentLength > length - pos) break;
        if (visit(marker, data + pos + 2, segmentLength - 2)) return true;
        pos += segmentLength;
    }
    return false;
}

}  // namespace

ImageOrientation exifOrientation(const uint8_t* data, size_t length) {
    int exifValue = 0;
    findHeaderSegment(data, length, [&](uint8_t marker, const uint8_t* payload, size_t payloadLength) {
        if (marker != 0xE1 || payloadLength < 6 || std::memcmp(payload, "Exif\0\0", 6) != 0) return false;
        exifValue = orientationInTiff(payload + 6, payloadLength - 6);
        return true;
    });
    return orientationFromExif(exifValue);
}

bool hasAdobeMarker(const uint8_t* data, size_t length) {
    return findHeaderSegment(data, length, [](uint8_t marker, const uint8_t* payload, size_t payloadLength) {
        return marker == 0xEE && payloadLength >= 5 && std::memcmp(payload, "Adobe", 5) == 0;
    });
}

void cmykToRgb32(uint8_t* pixels, size_t count, bool adobeInverted) {
    for (uint8_t* p = pixels; p != pixels + count * 4; p += 4) {
        // Ink amounts, 255 the most; an Adobe file stores 255 minus the ink.
        const unsigned c = adobeInverted ? 255u - p[0] : p[0], m = adobeInverted ? 255u - p[1] : p[1],
                       y = adobeInverted ? 255u - p[2] : p[2], k = adobeInverted ? 255u - p[3] : p[3];
        const unsigned white = 255u - k;
        // Qt's RGB32 in memory: blue, green, red, 0xFF. Rounded to the nearest.
        p[0] = uint8_t(((255u - y) * white + 127u) / 255u);
        p[1] = uint8_t(((255u - m) * white + 127u) / 255u);
        p[2] = uint8_t(((255u - c) * white + 127u) / 255u);
        p[3] = 0xFF;
    }
}

foundation::Result<HeaderInfo> readHeader(const uint8_t* data, size_t length) {
    int width = 0, height = 0;
    auto stream = openStream(data, length, width, height);
    if (!stream) return stream.error();
    return HeaderInfo{width, height, exifOrientation(data, length)};
}

namespace {
thread_local uint64_t decodesOnThisThread = 0;
std::atomic<uint64_t> decodes{0};
void countDecode() {
    ++decodesOnThisThread;
    decodes.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

uint64_t decodeCountOnThisThread() { return decodesOnThisThread; }
uint64_t decodeCount() { return decodes.load(std::memory_order_relaxed); }

namespace {

// Decodes a stream whose header `handle` has read (`width` × `height`,
// `colorspace`) at 1/`scaleDenominator` of its size.
foundation::Result<Image> decodeOpened(void* handle, const uint8_t* data, size_t length, int width, int height,
                                       int colorspace, int scaleDenominator) {
    if (int64_t(width) * height > kMaxPixels)
        return corrupt("unsupported picture size " + std::to_string(width) + "x" + std::to_string(height));
    tjscalingfactor factor{1, scaleDenominator};
    int scaledWidth = TJSCALED(width, factor);
    int scaledHeight = TJSCALED(height, factor);
    // 32-bit pixels with the alpha byte set to 255, which is what Qt's RGB32 expects.
    QImage bitmap(scaledWidth, scaledHeight, QImage::Format_RGB32);
    if (bitmap.isNull())
        return foundation::Error(kImageErrorDomain, kImageErrorCorruptData, "Not enough memory for the picture.");
    // Print pictures hold ink, which the decoder hands out as it is (4 bytes
    // a pixel, as many as RGB32 has) and is turned into colour here.
    const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    // Stop at the first warning: a truncated file otherwise "succeeds" with
    // its missing part painted grey.
    if (tjDecompress2(handle, data, static_cast<unsigned long>(length), bitmap.bits(), scaledWidth,
                      static_cast<int>(bitmap.bytesPerLine()), scaledHeight, cmyk ? TJPF_CMYK : TJPF_BGRA,
                      TJFLAG_STOPONWARNING) != 0) {
        auto error = corrupt(tjGetErrorStr2(handle));
        dropThreadDecoder();
        return error;
    }
    if (cmyk) {
        const bool inverted = hasAdobeMarker(data, length);
        for (int y = 0; y < scaledHeight; ++y) cmykToRgb32(bitmap.scanLine(y), size_t(scaledWidth), inverted);
    }
    return Image(std::move(bitmap), 1.0, exifOrientation(data, length));
}

}  // namespace

foundation::Result<Image> decode(const uint8_t* data, size_t length, int scaleDenominator) {
    countDecode();
    if (scaleDenominator != 1 && scaleDenominator != 2 && scaleDenominator != 4 && scaleDenominator != 8)
        return foundation::Error(kImageErrorDomain, kImageErrorInvalidArgument,
                                 "A JPEG can be decoded at 1/1, 1/2, 1/4 or 1/8 of its size only.");
    int width = 0, height = 0, colorspace = 0;
    auto stream = openStream(data, length, width, height, &colorspace);
    if (!stream) return stream.error();
    return decodeOpened(*stream, data, length, width, height, colorspace, scaleDenominator);
}

std::optional<Planes420> decodePlanes420(const uint8_t* data, size_t length, std::vector<uint8_t> store) {
    int width = 0, height = 0, colorspace = 0, subsampling = 0;
    auto stream = openStream(data, length, width, height, &colorspace, &subsampling);
    if (!stream) return std::nullopt;
    void* handle = *stream;
    if (subsampling != TJSAMP_420 || colorspace != TJCS_YCbCr || width % 2 || height % 2 ||
        int64_t(width) * height > kMaxPixels || exifOrientation(data, length) != ImageOrientation::Up)
        return std::nullopt;
    countDecode();
    Planes420 planes{width, height, std::move(store)};
    const size_t lumaSize = size_t(width) * size_t(height);
    planes.bytes.resize(lumaSize * 3 / 2);  // a no-op for a store of this size
    unsigned char* targets[] = {planes.bytes.data(), planes.bytes.data() + lumaSize,
                                planes.bytes.data() + lumaSize * 5 / 4};
    int strides[] = {width, width / 2, width / 2};
    // Stop at the first warning, as decode() does: a truncated stream is not
    // a picture with a grey part.
    if (tjDecompressToYUVPlanes(handle, data, static_cast<unsigned long>(length), targets, width, strides, height,
                                TJFLAG_STOPONWARNING) != 0) {
        dropThreadDecoder();
        return std::nullopt;
    }
    return planes;
}

foundation::Result<Image> decodeForMaximumSize(const uint8_t* data, size_t length, int maxPixelWidth,
                                               int maxPixelHeight) {
    countDecode();
    // One decoder reads the header and then the picture.
    int width = 0, height = 0, colorspace = 0;
    auto stream = openStream(data, length, width, height, &colorspace);
    if (!stream) return stream.error();
    int denominator = 1;
    for (int candidate : {8, 4, 2}) {
        tjscalingfactor factor{1, candidate};
        if (TJSCALED(width, factor) >= maxPixelWidth && TJSCALED(height, factor) >= maxPixelHeight) {
            denominator = candidate;
            break;
        }
    }
    return decodeOpened(*stream, data, length, width, height, colorspace, denominator);
}

foundation::Result<foundation::Bytes> encode(const QImage& source, double quality, bool fullColourResolution) {
    if (source.isNull()) return foundation::Error(kImageErrorDomain, kImageErrorEmptyImage, "The image has no pixels.");
    const QImage* bitmap = &source;
    QImage converted;
    auto layout = layoutFor(source.format());
    if (!layout) {
        // Straight alpha is premultiplied first, so transparent areas come out
        // black (as the platform writes them) instead of their hidden colours.
        converted = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                    : QImage::Format_RGB32);
        bitmap = &converted;
        layout = layoutFor(converted.format());
    }
    if (std::isnan(quality)) quality = 0;
    int q = std::clamp(static_cast<int>(std::lround(std::clamp(quality, 0.0, 1.0) * 100)), 1, 100);

    Handle handle(tjInitCompress());
    if (!handle)
        return foundation::Error(kImageErrorDomain, kImageErrorEncodingFailed, "The JPEG encoder could not start.");
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const int subsampling =
        fullColourResolution && layout->subsampling != TJSAMP_GRAY ? int(TJSAMP_444) : layout->subsampling;
    int rc = tjCompress2(handle.get(), bitmap->constBits(), bitmap->width(), static_cast<int>(bitmap->bytesPerLine()),
                         bitmap->height(), layout->format, &out, &outSize, subsampling, q,
                         fullColourResolution ? TJFLAG_ACCURATEDCT : 0);
    std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(out, &tjFree);
    if (rc != 0)
        return foundation::Error(kImageErrorDomain, kImageErrorEncodingFailed,
                                 std::string("The JPEG encoder failed: ") + tjGetErrorStr2(handle.get()));
    return foundation::Bytes(out, out + outSize);
}

}  // namespace graphics::jpeg
