#include "app/painter/PainterFlatten.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

graphics::Image flattenLayerPictures(const graphics::Image& background, graphics::Size size,
                                     const std::vector<LayerPicture>& backToFront) {
    int width = 0;
    int height = 0;
    if (!background.isNull()) {
        const graphics::Image upright = background.normalized();
        width = upright.pixelWidth();
        height = upright.pixelHeight();
    } else {
        width = static_cast<int>(std::lround(size.width));
        height = static_cast<int>(std::lround(size.height));
    }
    if (width <= 0 || height <= 0) return {};
    // Frame pictures are opaque JPEGs: an opaque target keeps the compositing
    // to one blend per layer and gives the encoder no alpha to drop.
    QImage target(width, height, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRect full(0, 0, width, height);
    if (!background.isNull()) painter.drawImage(full, background.normalized().bitmap());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const LayerPicture& layer : backToFront) {
        if (layer.picture.isNull() || layer.opacity <= 0) continue;
        painter.setOpacity(std::clamp(layer.opacity, 0.0, 1.0));
        painter.drawImage(full, layer.picture.normalized().bitmap());
    }
    painter.end();
    return graphics::Image(std::move(target));
}

graphics::Image applyingMaskAlpha(const graphics::Image& picture, const graphics::Image& mask) {
    if (picture.isNull() || mask.isNull()) return {};
    QImage target = picture.normalized().bitmap().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Keeps the target scaled by the source's alpha, whatever its colour.
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(target.rect(), mask.normalized().bitmap());
    painter.end();
    return graphics::Image(std::move(target));
}
