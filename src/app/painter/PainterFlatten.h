#pragma once

// Flattening of the layer stack into one picture, as plain functions.

#include "platform/graphics/Image.h"

#include <vector>

// One layer's picture with the opacity it is shown at.
struct LayerPicture {
    graphics::Image picture;
    double opacity = 1.0;
};

// The background at its own size with each picture drawn over it in the given
// order (the backmost first), scaled to the background's size, at its opacity.
// Without a background the result is `size` of opaque black under the
// pictures, so a flattened picture is never empty. Null only when there is
// neither a background nor a size.
graphics::Image flattenLayerPictures(const graphics::Image& background, graphics::Size size,
                                     const std::vector<LayerPicture>& backToFront);

// `picture` with its alpha multiplied by the alpha of `mask` stretched over
// it: what rubbing out `mask`'s parts does to another picture of the same
// frame (a mask canvas keeps its picture's colours only where it keeps
// alpha). The result is `picture`'s size with alpha premultiplied; null when
// either is null.
graphics::Image applyingMaskAlpha(const graphics::Image& picture, const graphics::Image& mask);

// The pictures drawn as flattening draws them over a transparent picture of
// `size`: its alpha is how strongly the painting covers each pixel. Null
// for an empty size.
graphics::Image layerCoverage(graphics::Size size, const std::vector<LayerPicture>& backToFront);

// Whether a mask canvas's picture (alpha lowered where rubbed) rubbed out a
// noticeable part of what `coverage` covers, the coverage stretched over the
// mask. False when either is null.
bool maskErasesPaint(const graphics::Image& mask, const graphics::Image& coverage);
