#include "app/painter/PainterFlatten.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

QRectF toQRect(const graphics::Rect& r) { return QRectF(r.origin.x, r.origin.y, r.size.width, r.size.height); }

// Each picture at its placement (else stretched over `full`) and opacity,
// the backmost first.
void drawLayerPictures(QPainter& painter, const QRect& full, const std::vector<LayerPicture>& backToFront) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const LayerPicture& layer : backToFront) {
        if (layer.picture.isNull() || layer.opacity <= 0) continue;
        painter.setOpacity(std::clamp(layer.opacity, 0.0, 1.0));
        const QRectF target = layer.placement ? toQRect(*layer.placement) : QRectF(full);
        painter.drawImage(target, layer.picture.normalized().bitmap());
    }
    painter.setOpacity(1.0);
}

}  // namespace

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
    if (!background.isNull()) painter.drawImage(target.rect(), background.normalized().bitmap());
    drawLayerPictures(painter, target.rect(), backToFront);
    painter.end();
    return graphics::Image(std::move(target));
}

graphics::Image layerCoverage(graphics::Size size, const std::vector<LayerPicture>& backToFront) {
    const int width = static_cast<int>(std::lround(size.width));
    const int height = static_cast<int>(std::lround(size.height));
    if (width <= 0 || height <= 0) return {};
    QImage target(width, height, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    drawLayerPictures(painter, target.rect(), backToFront);
    painter.end();
    return graphics::Image(std::move(target));
}

bool maskErasesPaint(const graphics::Image& mask, const graphics::Image& coverage) {
    if (mask.isNull() || coverage.isNull()) return false;
    const QImage rubbed = mask.normalized().bitmap().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage painted = coverage.normalized().bitmap().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (painted.size() != rubbed.size())
        painted = painted.scaled(rubbed.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Where paint of strength c was rubbed out by e, replaying the strokes
    // brings back c × e of it. Below an eighth that is too faint to miss,
    // so a rub that only grazes the soft rim of a stroke asks nothing.
    constexpr int kNoticeable = 255 * 255 / 8;
    for (int y = 0; y < rubbed.height(); ++y) {
        const auto* maskRow = reinterpret_cast<const QRgb*>(rubbed.constScanLine(y));
        const auto* paintRow = reinterpret_cast<const QRgb*>(painted.constScanLine(y));
        for (int x = 0; x < rubbed.width(); ++x)
            if (qAlpha(paintRow[x]) * (255 - qAlpha(maskRow[x])) >= kNoticeable) return true;
    }
    return false;
}

graphics::Image applyingMaskAlpha(const graphics::Image& picture, const graphics::Image& mask,
                                  const graphics::Rect& maskOnPicture) {
    if (picture.isNull() || mask.isNull()) return {};
    QImage target = picture.normalized().bitmap().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Keeps the target scaled by the source's alpha, whatever its colour;
    // what the mask does not cover stays as it is.
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(toQRect(maskOnPicture), mask.normalized().bitmap());
    painter.end();
    return graphics::Image(std::move(target));
}

graphics::Image rubbedPicture(const graphics::Image& picture, const graphics::Image& mask,
                              const graphics::Rect& maskOnPicture, const graphics::Image& behind,
                              const graphics::Rect& behindOnPicture) {
    graphics::Image rubbed = applyingMaskAlpha(picture, mask, maskOnPicture);
    if (rubbed.isNull()) return {};
    const graphics::Size size{double(rubbed.pixelWidth()), double(rubbed.pixelHeight())};
    return flattenLayerPictures({}, size, {{behind, 1.0, behindOnPicture}, {std::move(rubbed), 1.0, std::nullopt}});
}
