#pragma once

#include <QColor>
#include <QImage>

namespace graphics::detail {

// The shadow of a drawn layer: its coverage in the shadow colour, softened
// by a blur of about `blurPixels` (three box passes, close to a Gaussian).
QImage makeShadow(const QImage& layer, const QColor& color, double blurPixels);

}  // namespace graphics::detail
