#pragma once

// Canvases of a known size with test tips of known alpha, and pixel access
// to their pictures.

#include "app/painter/MaskingView.h"
#include "app/painter/PaintingView.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace paintertest {

inline constexpr graphics::RGBA kSlot0{228, 73, 19, 255};

// A square tip whose every pixel is white with alpha `alpha`.
inline graphics::Image tip(uint8_t alpha, int size = 16) {
    return graphics::Image::filled(size, size, {255, 255, 255, alpha});
}

inline PainterBrushes brushSet(uint8_t alpha = 255) {
    graphics::Color slot0 = graphics::Color::rgb8(kSlot0.r, kSlot0.g, kSlot0.b);
    return {
        {kBrushTypePen, PainterBrush::create(kBrushTypePen, 15, slot0, tip(alpha))},
        {kBrushTypeFountainPen, PainterBrush::create(kBrushTypeFountainPen, 10, slot0, tip(alpha))},
        {kBrushTypeBrush, PainterBrush::create(kBrushTypeBrush, 2, slot0, tip(alpha))},
        {kBrushTypeEraser, PainterBrush::create(kBrushTypeEraser, 8, graphics::Color::rgb(1, 1, 1))},
        {kBrushTypeMove, PainterBrush::create(kBrushTypeMove, 15, slot0)},
    };
}

inline std::shared_ptr<PaintingView> paintingCanvas(graphics::Size size = {1024, 576}, uint8_t alpha = 255) {
    auto canvas = PaintingView::create({{0, 0}, size});
    EXPECT_TRUE(canvas.ok()) << canvas.error().description;
    if (!canvas.ok()) return nullptr;
    (*canvas)->brushes = brushSet(alpha);
    (*canvas)->layoutSubviews();
    return *canvas;
}

inline std::shared_ptr<MaskingView> maskingCanvas(const graphics::Image& background,
                                                  graphics::Size size = {1024, 576}) {
    auto canvas = MaskingView::create({{0, 0}, size});
    EXPECT_TRUE(canvas.ok()) << canvas.error().description;
    if (!canvas.ok()) return nullptr;
    (*canvas)->setBackgroundImage(background);
    (*canvas)->layoutSubviews();
    return *canvas;
}

// A premultiplied white tip whose coverage at each texel centre is
// `coverage(distance from the middle)`, clamped to [0, 1].
template <class Coverage>
inline QImage radialTip(int size, Coverage coverage) {
    QImage tip(size, size, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double d = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0);
            auto value = static_cast<uint8_t>(std::lround(std::clamp(coverage(d), 0.0, 1.0) * 255));
            uchar* p = tip.scanLine(y) + x * 4;
            p[0] = p[1] = p[2] = p[3] = value;
        }
    }
    return tip;
}

// A disc of `size` texels with a one-texel soft rim.
inline QImage softTip(int size) {
    return radialTip(size, [size](double d) { return size / 2.0 - d; });
}

// The stored bytes of a pixel of a canvas picture (RGBA, premultiplied).
inline graphics::RGBA pixel(const graphics::Image& image, int x, int y) {
    const uchar* p = image.bitmap().constScanLine(y) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

inline bool isClear(graphics::RGBA p) { return p == graphics::RGBA{0, 0, 0, 0}; }

// The bounding box and count of the pixels that match.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

template <class Predicate>
Box boxOf(const graphics::Image& image, Predicate matches) {
    Box box;
    for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            if (!matches(pixel(image, x, y))) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
            ++box.count;
        }
    }
    return box;
}

}  // namespace paintertest
