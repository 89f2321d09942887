#pragma once

// Flattening of the layer stack into one picture, as plain functions.

#include "platform/graphics/Image.h"

#include <optional>
#include <vector>

// One layer's picture with the opacity it is shown at.
struct LayerPicture {
    graphics::Image picture;
    double opacity = 1.0;
    // Where it lies on the picture it is flattened into, in that picture's
    // pixels; stretched over all of it when none.
    std::optional<graphics::Rect> placement;
};

// The background at its own size with each picture drawn over it in the given
// order (the backmost first), at its placement and opacity. Without a
// background the result is `size` of opaque black under the pictures, so a
// flattened picture is never empty. Null only when there is neither a
// background nor a size.
graphics::Image flattenLayerPictures(const graphics::Image& background, graphics::Size size,
                                     const std::vector<LayerPicture>& backToFront);

// `picture` with its alpha multiplied by the alpha of `mask` where
// `maskOnPicture` puts the mask (in `picture`'s pixels), and kept beyond it:
// what rubbing out `mask`'s parts does to a picture of the frame (a mask
// canvas keeps its picture's colours only where it keeps alpha). The result
// is `picture`'s size with alpha premultiplied; null when either is null.
graphics::Image applyingMaskAlpha(const graphics::Image& picture, const graphics::Image& mask,
                                  const graphics::Rect& maskOnPicture);

// A picture rubbed out by a mask canvas, as it showed: `picture` at its own
// size, rubbed where `maskOnPicture` puts the mask, over `behind` where
// `behindOnPicture` puts it, over black where nothing is behind. Null when
// `picture` or `mask` is null.
graphics::Image rubbedPicture(const graphics::Image& picture, const graphics::Image& mask,
                              const graphics::Rect& maskOnPicture, const graphics::Image& behind,
                              const graphics::Rect& behindOnPicture);

// The pictures drawn as flattening draws them over a transparent picture of
// `size`: its alpha is how strongly the painting covers each pixel. Null
// for an empty size.
graphics::Image layerCoverage(graphics::Size size, const std::vector<LayerPicture>& backToFront);

// Whether a mask canvas's picture (alpha lowered where rubbed) rubbed out a
// noticeable part of what `coverage` covers, the coverage stretched over the
// mask. False when either is null.
bool maskErasesPaint(const graphics::Image& mask, const graphics::Image& coverage);
