#pragma once

// Per-pixel movie effects. Pixels are 4 bytes, rows unpadded (width * 4 bytes).
// The rules address the bytes by position b0..b3; the image wrapper hands
// them over in red, green, blue, alpha order, premultiplied, which is the
// order the effects' tables and weights were tuned on.
// All arithmetic is exact unsigned integer work so that every machine makes
// the same picture from the same input.

#include "platform/graphics/Geometry.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

class RGBFilter {
public:
    virtual ~RGBFilter() = default;

    // Applies the effect in place to b0, b1 and b2; b3 is never touched.
    virtual void processFilter(uint8_t* pixels, int32_t width, int32_t height);
    // The same rule from a source into a destination of the same size; the
    // destination's b3 is left as it was.
    virtual void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, int32_t width, int32_t height);
    // A nearest-neighbour scaled copy of the source into the rectangle of the
    // destination, both `size.width` pixels wide, with the rule applied.
    virtual void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, graphics::Size size,
                               graphics::Rect scaleRect);

protected:
    // Rule signature: void(const uint8_t* in, uint8_t* out, uint32_t x, uint32_t y).
    // `in` and `out` may be the same pixel, so rules read every input byte first.
    template <class Rule>
    static void applyInPlace(uint8_t* pixels, int32_t width, int32_t height, Rule rule) {
        applyCopy(pixels, pixels, width, height, rule);
    }

    template <class Rule>
    static void applyCopy(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height, Rule rule) {
        if (!source || !dest || width <= 0 || height <= 0) return;
        for (uint32_t y = 0; y < uint32_t(height); ++y) {
            const size_t row = size_t(y) * size_t(width) * 4;
            for (uint32_t x = 0; x < uint32_t(width); ++x) {
                const size_t at = row + size_t(x) * 4;
                rule(source + at, dest + at, x, y);
            }
        }
    }

    // Walks the source with steps of size / rect (as 32-bit floats) and writes
    // destination pixel (y + j, x + i). Pixels that would land outside the
    // buffer are skipped, and a rectangle without a positive size does nothing:
    // otherwise a large rectangle would write past the end of the destination
    // and a negative one would never finish.
    template <class Rule>
    static void applyScaled(const uint8_t* source, uint8_t* dest, graphics::Size size, graphics::Rect rect, Rule rule) {
        const double w = size.width;
        const double h = size.height;
        if (!source || !dest || !(w >= 1) || !(h >= 1) || !std::isfinite(w) || !std::isfinite(h)) return;
        if (!(rect.size.width > 0) || !(rect.size.height > 0) || !std::isfinite(rect.size.width) ||
            !std::isfinite(rect.size.height))
            return;
        if (!std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y)) return;
        const float stepX = float(w / rect.size.width);
        const float stepY = float(h / rect.size.height);
        if (!(stepX > 0) || !(stepY > 0)) return;
        const double rows = std::floor(h);
        const double columns = std::floor(w);
        uint32_t j = 0;
        for (float sy = 0; sy < h; sy += stepY, ++j) {
            const double destRow = rect.origin.y + j;
            if (destRow >= rows) break;
            const double sourceRow = std::trunc(double(sy));
            uint32_t i = 0;
            for (float sx = 0; sx < w; sx += stepX, ++i) {
                const double destColumn = rect.origin.x + i;
                if (destColumn >= columns) break;
                const double sourceColumn = std::trunc(double(sx));
                if (destRow < 0 || destColumn < 0) continue;
                if (sourceRow >= rows || sourceColumn >= columns) continue;
                const size_t in = size_t((sourceRow * w + sourceColumn) * 4);
                const size_t out = size_t((destRow * w + destColumn) * 4);
                rule(source + in, dest + out, uint32_t(destColumn), uint32_t(destRow));
            }
        }
    }
};

// An effect whose one rule, its const member apply(in, out, x, y) (a rule as
// applyCopy takes it), serves all three operations.
template <class Effect>
class OneRuleFilter : public RGBFilter {
public:
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) override {
        applyInPlace(pixels, width, height, rule());
    }
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, int32_t width, int32_t height) override {
        applyCopy(source, m_PixelBufDest, width, height, rule());
    }
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, graphics::Size size,
                       graphics::Rect scaleRect) override {
        applyScaled(source, m_PixelBufDest, size, scaleRect, rule());
    }

private:
    auto rule() const {
        return [effect = static_cast<const Effect*>(this)](const uint8_t* in, uint8_t* out, uint32_t x, uint32_t y) {
            effect->apply(in, out, x, y);
        };
    }
};
