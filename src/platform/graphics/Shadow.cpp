#include "platform/graphics/Shadow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace graphics::detail {

namespace {

// One box-blur pass over a line of `count` values spaced `stride` apart.
void boxBlurLine(uint8_t* data, int count, int stride, int radius, std::vector<uint8_t>& scratch) {
    scratch.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) scratch[static_cast<size_t>(i)] = data[i * stride];
    int window = 2 * radius + 1;
    int sum = 0;
    // Edges count as transparent, so a shadow fades out at the border too.
    for (int i = -radius; i <= radius; ++i)
        if (i >= 0 && i < count) sum += scratch[static_cast<size_t>(i)];
    for (int i = 0; i < count; ++i) {
        data[i * stride] = static_cast<uint8_t>((sum + window / 2) / window);
        int leaving = i - radius;
        int entering = i + radius + 1;
        if (leaving >= 0) sum -= scratch[static_cast<size_t>(leaving)];
        if (entering < count) sum += scratch[static_cast<size_t>(entering)];
    }
}

}  // namespace

QImage makeShadow(const QImage& layer, const QColor& color, double blurPixels) {
    int width = layer.width(), height = layer.height();
    QImage source = layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<uint8_t> coverage(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < width; ++x)
            coverage[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(qAlpha(row[x]));
    }
    int radius = static_cast<int>(std::lround(blurPixels / 2));
    if (radius > 0) {
        std::vector<uint8_t> scratch;
        for (int pass = 0; pass < 3; ++pass) {
            for (int y = 0; y < height; ++y)
                boxBlurLine(&coverage[static_cast<size_t>(y) * width], width, 1, radius, scratch);
            for (int x = 0; x < width; ++x)
                boxBlurLine(&coverage[static_cast<size_t>(x)], height, width, radius, scratch);
        }
    }
    QImage shadow(width, height, QImage::Format_ARGB32_Premultiplied);
    int r = color.red(), g = color.green(), b = color.blue(), a = color.alpha();
    for (int y = 0; y < height; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < width; ++x) {
            int alpha = coverage[static_cast<size_t>(y) * width + x] * a / 255;
            row[x] = qRgba(r * alpha / 255, g * alpha / 255, b * alpha / 255, alpha);
        }
    }
    return shadow;
}

}  // namespace graphics::detail
