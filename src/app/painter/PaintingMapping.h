#pragma once

// Carrying a change of the frame's picture (a crop that moves, scales, turns
// or mirrors what it shows) into strokes and layer pictures that the new
// picture does not hold, as plain functions.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Image.h"

// The painter's canvas on a screen: the landscape width, 16:9. Canvas
// points are canvas pixels.
graphics::Size paintingCanvasSize(graphics::Size screen);

struct PaintingMapping {
    // Where each point of the old picture lies in the new one, in unit
    // coordinates of both (0 to 1 across and down).
    graphics::AffineTransform unit;
    // The canvas the strokes were drawn on, which spans the picture.
    graphics::Size canvas;

    // The same in the canvas's pixels, whose origin is at the bottom left.
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

// A layer's picture carried over at its own size; clear where nothing of the
// old picture lands.
graphics::Image mappedLayerPicture(const graphics::Image& picture, const PaintingMapping& mapping);
