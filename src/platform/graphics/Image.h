#pragma once

// An immutable bitmap with a scale (pixels per point) and an orientation that
// says how the stored pixels are to be turned for display, as camera pictures
// come: the pixels stay as the sensor wrote them and the orientation is applied
// when the image is drawn or normalised.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"

#include <QImage>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <string>

namespace graphics {

// The platform's orientation values, 0 to 7.
enum class ImageOrientation : int {
    Up = 0,
    Down = 1,          // turned 180°
    Left = 2,          // turned 90° counter-clockwise
    Right = 3,         // turned 90° clockwise
    UpMirrored = 4,    // mirrored left to right
    DownMirrored = 5,  // mirrored top to bottom
    LeftMirrored = 6,
    RightMirrored = 7,
};

// Whether the displayed picture is the stored bitmap turned on its side.
bool orientationSwapsAxes(ImageOrientation orientation);
// A value from 0 to 7; none for anything else.
std::optional<ImageOrientation> orientationFromInt(int value);

// One pixel with straight (not premultiplied) alpha.
struct RGBA {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const RGBA&) const = default;
};

// How a view shows an image: a template image keeps only its alpha and
// takes the tint colour of the view that shows it.
enum class ImageRenderingMode { Automatic = 0, AlwaysOriginal = 1, AlwaysTemplate = 2 };

inline constexpr const char* kImageErrorDomain = "ImageErrorDomain";

// Error codes of kImageErrorDomain.
enum ImageErrorCode : int64_t {
    kImageErrorUnreadableFile = 1,
    kImageErrorUnknownFormat = 2,
    kImageErrorCorruptData = 3,
    kImageErrorEncodingFailed = 4,
    kImageErrorEmptyImage = 5,
    kImageErrorInvalidArgument = 6,
};

class Image {
public:
    // A null image: no pixels, size zero.
    Image() = default;
    // Wraps a bitmap. Any QImage format is accepted; it is kept as it is
    // (decoded pictures are 32-bit, drawn ones premultiplied ARGB).
    explicit Image(QImage bitmap, double scale = 1.0, ImageOrientation orientation = ImageOrientation::Up);
    // A bitmap of the given pixel size filled with one pixel value.
    static Image filled(int pixelWidth, int pixelHeight, RGBA fill, double scale = 1.0);

    bool isNull() const { return bitmap_.isNull(); }

    // Size in points: pixel size / scale, width and height swapped for the
    // orientations that turn the picture on its side.
    Size size() const;
    // Size of the stored bitmap, before orientation.
    int pixelWidth() const { return bitmap_.width(); }
    int pixelHeight() const { return bitmap_.height(); }
    double scale() const { return scale_; }
    ImageOrientation orientation() const { return orientation_; }
    bool hasAlpha() const { return bitmap_.hasAlphaChannel(); }

    // A stored pixel (bitmap coordinates, orientation not applied); a fully
    // transparent pixel outside the bitmap.
    RGBA pixelAt(int x, int y) const;

    // The same pixels with another orientation or scale.
    Image withOrientation(ImageOrientation orientation) const;
    Image withScale(double scale) const;
    ImageRenderingMode renderingMode() const { return renderingMode_; }
    Image withRenderingMode(ImageRenderingMode mode) const {
        Image copy = *this;
        copy.renderingMode_ = mode;
        return copy;
    }
    // A copy whose pixels are turned as the orientation says, with
    // orientation Up and the same scale. Returns *this for Up images.
    Image normalized() const;
    // The stored pixels inside a rectangle in bitmap pixels (clipped to the
    // bitmap), scale 1, orientation Up; null when nothing remains.
    Image cropped(const Rect& pixelRect) const;
    // A copy of the pixels in another pixel size (smooth scaling), orientation kept.
    Image resized(int pixelWidth, int pixelHeight) const;

    // The stored bitmap (not oriented).
    const QImage& bitmap() const { return bitmap_; }

    // Decoding. The format is recognised from the first bytes (JPEG or PNG);
    // JPEG pictures take their orientation from their EXIF data.
    static foundation::Result<Image> decode(const uint8_t* data, size_t length);
    static foundation::Result<Image> decode(const foundation::Bytes& data);
    static foundation::Result<Image> load(const std::string& path);

    // Encoding of the upright picture (the orientation is applied to the
    // pixels, so readers that ignore EXIF see it the right way up).
    // Quality 0.0 to 1.0 (values outside are clamped).
    foundation::Result<foundation::Bytes> jpegData(double quality) const;
    foundation::Result<foundation::Bytes> pngData() const;

private:
    QImage bitmap_;
    double scale_ = 1.0;
    ImageOrientation orientation_ = ImageOrientation::Up;
    ImageRenderingMode renderingMode_ = ImageRenderingMode::Automatic;
};

// The transform that maps the stored bitmap's pixel coordinates onto the
// upright picture (in pixels), for drawing with the orientation applied.
QTransform orientationTransform(ImageOrientation orientation, int pixelWidth, int pixelHeight);

}  // namespace graphics
