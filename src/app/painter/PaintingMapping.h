#pragma once

// Where the painter's canvas shows the frame's picture, and carrying a
// change of that picture (a crop that moves, scales, turns or mirrors what
// it shows) into strokes and layer pictures that the new picture does not
// hold, as plain functions.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

// The painter's canvas on a screen: the landscape width, 16:9. Canvas
// points are canvas pixels.
graphics::Size paintingCanvasSize(graphics::Size screen);

// How the canvas shows a picture: filled and centred, the overflow cut
// equally from both sides. The background view shows it in this mode, and
// everything that puts the painting on the picture places it through
// ui::contentRect in the same mode, so that what was drawn over a spot of
// the picture lands on that spot.
inline constexpr ui::ContentMode kCanvasPictureMode = ui::ContentMode::ScaleAspectFill;

struct CanvasPlacement {
    // The picture's upright size, in the units the results are wanted in
    // (its pixels); only its shape matters on the canvas.
    graphics::Size picture;
    // The canvas's size in canvas points (one point a canvas pixel, y down).
    graphics::Size canvas;

    // The picture's rectangle on the canvas; the whole canvas for a picture
    // of no size.
    graphics::Rect pictureOnCanvas() const;
    // A rectangle of the canvas in the picture's units. Edges within a
    // millionth of a whole number are made whole, so that a picture of the
    // canvas's shape takes the whole canvas over exactly all of itself.
    graphics::Rect onPicture(const graphics::Rect& onCanvas) const;
    // The whole canvas on the picture: where what was drawn on it lands.
    graphics::Rect canvasOnPicture() const;
};

// A picture's size in pixels once turned upright, as its placement takes it.
graphics::Size uprightPixelSize(const graphics::Image& picture);

struct PaintingMapping {
    // Where each point of the old picture lies in the new one, in unit
    // coordinates of both (0 to 1 across and down).
    graphics::AffineTransform unit;
    // The canvas the strokes were drawn on.
    graphics::Size canvas;
    // The old and the new picture's sizes, which say how the canvas showed
    // them. A size of zero (unknown) is taken to span the canvas.
    graphics::Size from;
    graphics::Size to;
    // The canvas the strokes go to, as a window of another size has it;
    // zero: the one they were drawn on.
    graphics::Size target{};

    // Only the canvas changes: the same picture, from `drawn` to `shown`.
    static PaintingMapping betweenCanvases(graphics::Size drawn, graphics::Size shown, graphics::Size picture);

    graphics::Size targetCanvas() const;
    // The mapping from a canvas of `size` points to one of `onto` (the same
    // when not given), y down: where a point shown over the old picture goes
    // to be shown over the same spot of the new one.
    graphics::AffineTransform viewTransform(graphics::Size size) const;
    graphics::AffineTransform viewTransform(graphics::Size size, graphics::Size onto) const;
    // From `canvas` to the target canvas in their pixels, whose origin is at
    // the bottom left.
    graphics::AffineTransform canvasTransform() const;
    // How much the mapping scales a stroke's width: the square root of the
    // area it gives a unit square of the canvas.
    double widthScale() const;
};

// The strokes of a stroke file drawn where the mapping puts them: every
// sample, every move (offsets and move records) and the stamp sizes, so
// that a replay draws what the old strokes drew, carried over. A stroke
// file that does not decode is an error.
foundation::Result<foundation::Bytes> mappedStrokes(const foundation::Bytes& strokes, const PaintingMapping& mapping);
// The same, or the strokes as they are where they do not decode: a layer's
// strokes are decoded, and found damaged, once the layer is on the canvas.
foundation::Bytes mappedStrokesOrAsIs(const foundation::Bytes& strokes, const PaintingMapping& mapping);

// A layer's picture (a picture of the canvas, a pixel a point) carried
// over: at its own size, or at the target canvas's whole pixels when the
// mapping has one; clear where nothing of the old picture lands.
graphics::Image mappedLayerPicture(const graphics::Image& picture, const PaintingMapping& mapping);
