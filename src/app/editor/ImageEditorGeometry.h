#pragma once

// The crop-and-rotate editor's arithmetic, apart from its views: where a
// picture sits behind the crop window, whether a transform still covers the
// window, scale bounds, orientation transforms and the transform that renders
// what the window shows. Transforms follow graphics::AffineTransform: a step
// added by translated/scaled/rotated acts first, in the picture's own
// coordinates.

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <optional>

namespace imageeditor {

// A rect carried through a rotation without losing its corners.
struct Rectangle {
    graphics::Point topLeft;
    graphics::Point topRight;
    graphics::Point bottomLeft;
    graphics::Point bottomRight;
};

inline constexpr double kDefaultCropSide = 320;
inline constexpr double kDisplaySide = 1024;
inline constexpr double kPreviewWidth = 120;

Rectangle RectangleFromCGRect(const graphics::Rect& rect);
// (topLeft, topRight.x − topLeft.x wide, bottomLeft.y − topLeft.y high);
// the size is negative for a mirrored rectangle.
graphics::Rect CGRectFromRectangle(const Rectangle& rectangle);
// The rect's corners moved by `transform` about the rect's centre.
Rectangle applyTransform(const graphics::AffineTransform& transform, const graphics::Rect& rect);
// Each corner moved by `transform` as it stands.
Rectangle applyTransform(const graphics::AffineTransform& transform, const Rectangle& rectangle);
// The axis-aligned box around `rect` turned by `radians` about its centre.
graphics::Rect boundingBoxForRect(const graphics::Rect& rect, double radians);
// The picture's turn: atan2(b, a), in single precision.
double imageRotation(const graphics::AffineTransform& transform);
// The minimum when set (> 0) and above `scale`, else the maximum when set
// and below it, else the scale itself.
double boundedScale(double scale, double minimumScale, double maximumScale);

// Whether the picture placed at `initialImageFrame` and shown with
// `transform` still covers every point of `cropRect`.
bool coversCropRect(const graphics::AffineTransform& transform, const graphics::Rect& initialImageFrame,
                    const graphics::Rect& cropRect);

// The crop rect as read: a centred 320 × 320 square in `bounds` while the
// stored one has no width or no height.
graphics::Rect effectiveCropRect(const graphics::Rect& stored, const graphics::Rect& bounds);
// A crop rect of `size` centred in `bounds`.
graphics::Rect centredCropRect(graphics::Size size, const graphics::Rect& bounds);
// Where reset puts a picture of `sourceSize`: covering the crop window and
// centred on it, as wide as the window when the picture is taller than it
// (relative to the width), else as high.
graphics::Rect resetImageFrame(graphics::Size sourceSize, const graphics::Rect& cropRect);

// The correction that brings a pinch's scale `from` to `to` about `center`
// (in the image view, whose bounds have `boundsSize`).
graphics::AffineTransform scaleCorrection(const graphics::AffineTransform& transform, graphics::Point center,
                                          graphics::Size boundsSize, double from, double to);
// A gesture step about `center`: the transform moved to the centre, `step`
// applied there, moved back.
graphics::AffineTransform aboutPoint(const graphics::AffineTransform& transform, graphics::Point center,
                                     graphics::Size boundsSize, const graphics::AffineTransform& step);

// The orientation's drawing transform in a y-up space (rotation, mirrored
// by (−1, 1)) and the size to draw, swapped for the left and right
// orientations. Unknown orientations (8 and above) leave both unchanged.
struct OrientedDrawing {
    graphics::AffineTransform transform;
    graphics::Size size;
};
OrientedDrawing orientationTransform(int orientation, graphics::Size size);

// The display picture's size: the longer side 1024, the aspect kept.
graphics::Size displaySize(graphics::Size sourceSize);
// The preview's size: none when the source is at most 1024 both ways (the
// source itself is the preview), else 120 wide with the source's aspect.
std::optional<graphics::Size> previewSize(graphics::Size sourceSize);
// The rendered picture's size: `outputWidth` (0 for the source's width)
// by the crop window's aspect.
graphics::Size outputSize(double outputWidth, double sourceWidth, const graphics::Rect& cropRect);
// The transform of a y-down bitmap context of `output` size that draws the
// picture (its bitmap drawn y-up into (−w/2, −h/2, w, h)) exactly as the
// image view shows it behind the crop window: output scale, crop centre,
// the view's transform, back to y-up, then the picture's orientation.
graphics::AffineTransform renderTransform(graphics::Size output, const graphics::Rect& cropRect,
                                          const graphics::AffineTransform& viewTransform,
                                          const graphics::AffineTransform& orientation);
// Where renderTransform takes each point of the picture, in unit
// coordinates of the upright picture and of the output (0 to 1 across and
// down): how a crop moves, scales, turns and mirrors what the picture shows.
graphics::AffineTransform unitRenderMapping(graphics::Size imageViewSize, const graphics::Rect& cropRect,
                                            const graphics::AffineTransform& viewTransform);
// The crop window in the source picture's coordinates.
graphics::Rect cropBoundsInSourceImage(graphics::Size sourceSize, graphics::Size imageViewBounds,
                                       const graphics::AffineTransform& viewTransform, const graphics::Rect& cropRect);

// The landscape form of a rect: origin kept, the longer side as width.
graphics::Rect getOrientationCorrectedRectFromRect(const graphics::Rect& rect);
// The frame editor's crop window on a screen of landscape size W × H: full
// width, 16:9, centred vertically; computed in single precision.
struct CropWindow {
    graphics::Size cropSize;
    graphics::Rect cropRect;
};
CropWindow frameEditorCropWindow(graphics::Size landscapeScreen);

// The picture drawn through an orientation transform into `size` (pixels,
// truncated), upright; null for a null source or an empty size.
graphics::Image newScaledImage(const graphics::Image& source, int orientation, graphics::Size size, bool smooth);
// What the crop window shows, rendered at `outputWidth` (0: the source's
// width); clear where the picture does not reach.
graphics::Image newTransformedImage(const graphics::AffineTransform& viewTransform, const graphics::Image& source,
                                    double outputWidth, const graphics::Rect& cropRect, graphics::Size imageViewSize);

}  // namespace imageeditor
